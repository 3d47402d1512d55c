#include "kitchen/send_routing.h"

#include <vector>

#include "common/bar_row.h"
#include "common/date_time.h"
#include "common/val.h"
#include "engine/config_switch.h"
#include "engine/order_line.h"
#include "kitchen/ticket_layout.h"

namespace korv {
namespace {

constexpr size_t kQuantityWidth = 5;

// Each field is padded with 27 blanks, so the tickets' lines line up and the
// quantity always has its 5 characters.
std::string Padded(std::string_view row, int field) {
  return OrderLineField(row, field).value_or("") + std::string(27, ' ');
}

// One unsent row, split for the tickets. A row that lacks fields (written
// damaged by another station) reads them as blank.
struct SendLine {
  std::string quantity5;     // first 5 characters of the padded quantity
  std::string item;          // item name, padded
  std::string price;         // extended price, padded
  std::string kitchen_text;  // kitchen text, padded
  double route = 0;
  std::string course;
  std::string KitchenLine() const { return quantity5 + kitchen_text; }
  std::string BarLine() const { return quantity5 + item; }
};

// Route text: the route number, " - " and the course name.
SendLine SplitRow(std::string_view row) {
  SendLine line;
  line.quantity5 = Left(Padded(row, 1), kQuantityWidth);
  line.item = Padded(row, 2);
  line.price = Padded(row, 3);
  line.kitchen_text = Padded(row, 4);
  const std::string route_text = OrderLineField(row, 5).value_or("");
  line.route = Val(route_text);
  const size_t dash = route_text.find(" - ");
  if (dash != std::string::npos) line.course = Trim(route_text.substr(dash + 3));
  return line;
}

RowTickets TicketsOf(const SendLine& line, bool bar_ticket) {
  RowTickets to;
  if (line.route == 3) return to;
  // Without a bar ticket, drinks go to the kitchen: a line marked sent is on a ticket.
  if (line.route == 1 && bar_ticket) {
    to.bar = true;
    return to;
  }
  if (Trim(line.item).empty()) return to;
  to.kitchen = true;
  to.bar = line.route == 2;
  for (int k = 0; k < kStationPrinterCount; ++k)
    if (line.route == k + 4) to.station = k;
  return to;
}

bool IsSent(std::string_view row) { return !row.empty() && row.back() == 'Y'; }

std::string MarkedSent(std::string row) {
  if (!row.empty()) row.back() = 'Y';
  return row;
}

// Routes one row. Returns false for a modifier that repeats the kitchen line
// before it: that row stays as it is, unsent.
class Router {
 public:
  explicit Router(KorvMain& m) : m_(m), bar_ticket_(BarTicketOn(m.station())) {}

  bool Route(const SendLine& line) {
    const RowTickets to = TicketsOf(line, bar_ticket_);
    if (!to.kitchen) {
      if (to.bar) AddBar(line.BarLine());
      return true;
    }
    const std::string kitchen_line = line.KitchenLine();
    if (StartsWith(kitchen_line, "*")) {
      if (!Trim(line.price).empty()) {
        m_.List2.AddItem("Mod Charge " + line.price);
        m_.MList2.AddItem("**Mod Charge " + line.price);
      }
      if (RepeatsPrevious(kitchen_line, previous_)) return false;
    }
    AddKitchen(line, kitchen_line, to.station);
    if (to.bar) AddBar(kitchen_line);
    return true;
  }
  const SendFlags& flags() const { return flags_; }

 private:
  void AddBar(const std::string& text) {
    m_.List3.AddItem(text);
    flags_.bar = true;
  }
  void AddKitchen(const SendLine& line, const std::string& kitchen_line, int station) {
    if (station >= 0) {
      StationLists(m_)[station]->AddItem(kitchen_line);
      flags_.station[station] = true;
    }
    m_.List2.AddItem(kitchen_line);
    flags_.kitchen = true;
    previous_ = Trim(kitchen_line);
    const std::string course = line.course.empty() ? "Main Course" : line.course;
    m_.MList2.AddItem(JoinBarRow({course, line.quantity5, line.kitchen_text}));
  }

  KorvMain& m_;
  bool bar_ticket_;
  SendFlags flags_;
  std::string previous_;
};

// One kitchen line of the course copy, with its modifiers after it.
struct CourseEntry {
  std::string course;
  std::vector<std::string> lines;
};

// "Mod Charge" rows carry no course and are dropped; a modifier joins the
// entry before it, or starts its own when it has none.
std::vector<CourseEntry> CourseEntries(const MultiColumnList& rows) {
  std::vector<CourseEntry> entries;
  for (int i = 0; i < rows.Count(); ++i) {
    std::vector<std::string> fields = SplitBarRow(rows.Item(i));
    if (fields.size() < 3) continue;
    const std::string& quantity = fields[1];
    const std::string line =
        quantity + JoinBarRow(std::vector<std::string>(fields.begin() + 2, fields.end()));
    if (StartsWith(quantity, "*") && !entries.empty()) {
      entries.back().lines.push_back(line);
    } else {
      entries.push_back({fields[0], {line}});
    }
  }
  return entries;
}

struct CourseSection {
  char letter;
  const char* heading;
};
constexpr CourseSection kCourseSections[] = {
    {'A', "*******  APPETIZER  ********"},
    {'S', "*******  Soup/Salad ********"},
    {'M', "******* Main Course ********"},
    {'D', "*******   Dessert   ********"},
};

}  // namespace

SendHeads MakeSendHeads(const Station& station, const DateTime& now) {
  return {"Phone In", "  " + station.CustName,
          DefaultTimeText(now.seconds) + "  " + DefaultDateText(now.date)};
}

bool BarTicketOn(const Station& s) {
  const std::string name = s.Config.Text(ConfigField::BarPrinter);
  return name != "None" && name.size() >= 3 && !SwitchOn(s, ConfigField::NoBarTicket);
}

RowTickets TicketsOfRow(std::string_view row, bool bar_ticket) {
  return TicketsOf(SplitRow(row), bar_ticket);
}

std::array<ListBox*, 6> StationLists(KorvMain& m) {
  return {&m.List6, &m.List7, &m.List8, &m.List9, &m.List10, &m.List11};
}

bool HasUnsentRow(const MultiColumnList& rows) {
  for (int i = 0; i < rows.Count(); ++i) {
    const std::string row = Trim(rows.Item(i));
    if (row.empty() || row.back() != 'Y') return true;
  }
  return false;
}

SendFlags RouteUnsentRows(KorvMain& m) {
  Router router(m);
  for (int i = 0; i < m.MList1.Count(); ++i) {
    const std::string row = m.MList1.Item(i);
    if (IsSent(row)) continue;
    if (router.Route(SplitRow(row))) m.MList1.SetItem(i, MarkedSent(row));
  }
  return router.flags();
}

void BuildCourseTicket(KorvMain& m, const SendHeads& heads) {
  const std::vector<CourseEntry> entries = CourseEntries(m.MList2);
  m.List2.Clear();
  m.List2.AddItem(heads.customer);
  m.List2.AddItem(heads.time);
  for (const CourseSection& section : kCourseSections) {
    bool headed = false;
    for (const CourseEntry& entry : entries) {
      if (entry.course.empty() || entry.course[0] != section.letter) continue;
      if (!headed) m.List2.AddItem(section.heading);
      headed = true;
      for (const std::string& line : entry.lines) m.List2.AddItem(line);
    }
  }
}

}  // namespace korv
