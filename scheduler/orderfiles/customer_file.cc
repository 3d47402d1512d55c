#include "scheduler/orderfiles/customer_file.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "common/runtime_error.h"
#include "common/val.h"
#include "platform/files/open_file_guard.h"

namespace korv {
namespace {

constexpr int kCustomerRecordLength = 2000;

}  // namespace

std::string CustomerFilePath(const std::string& data_root) {
  return data_root + "data\\CustData.dat";
}

int CustomerRecordNumber(FileSystem& files, const std::string& data_root, std::string_view number) {
  const double n = Val(number);
  if (!(n >= 1 && n <= std::numeric_limits<int32_t>::max()) || n != std::floor(n)) return 0;
  const std::string path = CustomerFilePath(data_root);
  // One look tells whether it is there, and how long.
  const std::optional<ChangeStamp> file = files.ChangeStampOf(path);
  const int64_t length = file ? file->size : 0;
  const int64_t records = (length + kCustomerRecordLength - 1) / kCustomerRecordLength;
  return n <= static_cast<double>(records) ? static_cast<int>(n) : 0;
}

CustomerRecord ReadCustomerRecord(FileSystem& files, const std::string& data_root,
                                  int record_number) {
  const std::string path = CustomerFilePath(data_root);
  files.CloseAll();
  CustomerRecord record;
  if (files.Exists(path)) {
    int file = files.Open(path, OpenMode::kRandom, kCustomerRecordLength);
    OpenFileGuard guard(files, file);
    files.Lock(file);
    record = CustomerRecord(files.GetRecord(file, record_number));
  }  // the guard's close lets the lock go
  return record;
}

void ReadCustomer(Station& station, FileSystem& files) {
  if (station.CustRecNo < 1) station.CustRecNo = 1;
  const CustomerRecord record = ReadCustomerRecord(files, station.DataRoot, station.CustRecNo);
  station.Customer = record;
  station.CustName = record.Text(3);
  station.CustPhone = record.Text(2);
  station.CustNumber = record.Text(1);
  station.CustNumberCopy = station.CustNumber;
}

void WriteCustomer(FileSystem& files, const std::string& data_root, int record_number,
                   const CustomerRecord& record) {
  if (record_number < 1) throw RuntimeError(kErrBadRecordNumber);
  files.CloseAll();
  int file = files.Open(CustomerFilePath(data_root), OpenMode::kRandom, kCustomerRecordLength);
  OpenFileGuard guard(files, file);
  files.Lock(file);
  // A record cut short, and the gap up to the new record, become blank
  // records; left alone they would read back as NUL bytes.
  for (int64_t r = files.Lof(file) / kCustomerRecordLength + 1; r < record_number; ++r)
    files.PutRecord(file, r, files.GetRecord(file, r));
  files.PutRecord(file, record_number, record.bytes());
  files.Unlock(file);
}

}  // namespace korv
