#pragma once
// How the kitchen send sorts the order's unsent lines onto its tickets: the
// main kitchen ticket (List2, with its course copy MList2), the bar ticket
// (List3) and the station tickets "KITCHEN 3" to "KITCHEN 8" (List6 to
// List11), by each line's route number. Pure list work on the engine's
// elements; nothing here prints or touches a file, and nothing fails.

#include <array>
#include <string>

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

// True when some row's trimmed text does not end in "Y".
bool HasUnsentRow(const MultiColumnList& rows);

// Routes every row of MList1 whose sent flag is not "Y", in list order, and
// marks it sent by replacing its last character with "Y". Route 3 goes on no
// ticket; route 1 goes only to the bar while a bar printer is named;
// route 2 goes to the kitchen and the bar; routes 4 to 9 go to the kitchen
// and their station; every other route to the kitchen. A modifier with a
// price is preceded by a "Mod Charge " line; a modifier that repeats the
// kitchen line before it is neither routed nor marked.
SendFlags RouteUnsentRows(KorvMain& m);

// Rebuilds List2 from MList2 as the course-sorted ticket: the customer and
// time lines, then the appetizers, soups and salads, main courses and
// desserts, each section headed once and only when it has lines. A
// modifier stays directly after its item; "Mod Charge" rows and courses of
// other letters are left out.
void BuildCourseTicket(KorvMain& m, const SendHeads& heads);

}  // namespace korv
