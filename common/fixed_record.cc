#include "common/fixed_record.h"

#include "common/runtime_error.h"
#include "common/val.h"

namespace korv {

RecordLayout::RecordLayout(int length, std::vector<FieldSpec> fields)
    : length_(length), fields_(std::move(fields)) {}

const FieldSpec& RecordLayout::field(int number) const {
  if (number < 1 || number > field_count()) throw RuntimeError(kErrInvalidCall);
  return fields_[number - 1];
}

bool RecordLayout::IsContiguous() const {
  int next = 0;
  for (const FieldSpec& f : fields_) {
    if (f.offset != next || f.width <= 0) return false;
    next = f.offset + f.width;
  }
  return next == length_;
}

FixedRecord::FixedRecord(const RecordLayout& layout)
    : layout_(&layout), bytes_(layout.length(), ' ') {}

FixedRecord::FixedRecord(const RecordLayout& layout, std::string_view bytes)
    : layout_(&layout), bytes_(PadRight(bytes, layout.length())) {}

std::string FixedRecord::Raw(int number) const {
  const FieldSpec& f = layout_->field(number);
  return bytes_.substr(f.offset, f.width);
}

std::string FixedRecord::Text(int number) const { return Trim(Raw(number)); }

double FixedRecord::Number(int number) const { return Val(Raw(number)); }

void FixedRecord::Set(int number, std::string_view text) {
  const FieldSpec& f = layout_->field(number);
  bytes_.replace(f.offset, f.width, PadRight(text, f.width));
}

bool FixedRecord::Fits(int number, std::string_view text) const {
  return static_cast<int>(text.size()) <= layout_->field(number).width;
}

}  // namespace korv
