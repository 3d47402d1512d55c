#pragma once
// How the kitchen send sorts the order's unsent lines onto its tickets: the
// main kitchen ticket (List2, with its course copy MList2), the bar ticket
// (List3) and the station tickets "KITCHEN 3" to "KITCHEN 8" (List6 to
// List11), by each line's route number. Pure list work on the engine's
// elements; nothing here prints or touches a file, and nothing fails.

#include <array>
#include <string>
#include <string_view>

#include "engine/korv_main.h"

namespace korv {

// The head lines of one send, made once: "Phone In", two blanks and the
// customer's name, the time and date in their default text forms.
struct SendHeads {
  std::string order_type;
  std::string customer;
  std::string time;
};
SendHeads MakeSendHeads(const Station& station, const DateTime& now);

// What the routing put where.
struct SendFlags {
  bool kitchen = false;              // a line went to List2
  bool bar = false;                  // a line went to List3
  std::array<bool, 6> station = {};  // KITCHEN 3 .. KITCHEN 8
};

// List6 .. List11 of the engine, for KITCHEN 3 .. KITCHEN 8.
std::array<ListBox*, 6> StationLists(KorvMain& m);

// True when the station prints bar tickets: the bar printer's name has at
// least three characters and is not "None" (exactly so: "NONE" names a
// printer), and the no-bar-ticket switch is off.
bool BarTicketOn(const Station& station);

// The tickets one unsent row goes on, by its route number: route 3 on none;
// route 1 on the bar ticket alone while there is one, else on the kitchen
// ticket like any other route (a line marked sent is always on a ticket);
// route 2 on the kitchen and the bar ticket; routes 4 to 9 on the kitchen and
// their station ticket. A row without an item name goes on none.
struct RowTickets {
  bool kitchen = false;
  bool bar = false;
  int station = -1;  // 0 for KITCHEN 3 .. 5 for KITCHEN 8; -1: none
};
RowTickets TicketsOfRow(std::string_view row, bool bar_ticket);

// True when some row's trimmed text does not end in "Y".
bool HasUnsentRow(const MultiColumnList& rows);

// Routes every row of MList1 whose sent flag is not "Y", in list order, onto
// the tickets TicketsOfRow names, and marks it sent by replacing its last
// character with "Y". A modifier with a price is preceded by a "Mod Charge "
// line; a modifier that repeats the kitchen line before it is neither routed
// nor marked.
SendFlags RouteUnsentRows(KorvMain& m);

// Rebuilds List2 from MList2 as the course-sorted ticket: the customer and
// time lines, then the appetizers, soups and salads, main courses and
// desserts, each section headed once and only when it has lines. A
// modifier stays directly after its item; "Mod Charge" rows and courses of
// other letters are left out.
void BuildCourseTicket(KorvMain& m, const SendHeads& heads);

}  // namespace korv
