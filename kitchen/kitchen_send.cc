// SSCommand9_Click, the order engine's kitchen send: routes the order's
// unsent lines onto the kitchen, bar and station tickets, prints them, keeps
// the kitchen ticket in the archive, marks the lines sent and hands the order
// to the completion, which reports "SENT" to the dispatch pass.
//
// Once there is something to send, each statement runs under the send's
// error handler: error 70 (a counter another station holds) passes silently,
// any other error shows the "ERROR ENCOUNTERED" box and resets the day's
// kitchen count, and the send goes on with its next statement. A procedure
// that fails is abandoned at that point; the send is not.

#include <exception>
#include <string>

#include "common/steps.h"
#include "common/val.h"
#include "engine/config_switch.h"
#include "engine/korv_main.h"
#include "engine/whoosh.h"
#include "kitchen/send_routing.h"

namespace korv {
namespace {

std::string ErrorBoxText(const RuntimeError& e) {
  const std::string blanks(51, ' ');
  const std::string lines[] = {"An error has been encountered while sending",
                               "Data to the KITCHEN/BAR Printer",
                               blanks,
                               "Please check the remote printer to make sure",
                               "the order information was printed",
                               "",
                               "ERROR - " + e.description(),
                               "",
                               blanks,
                               "Click OK to Continue and the system will try to FIX itself",
                               "For the next order entered"};
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\r") + line;
  return text;
}

class KitchenSend {
 public:
  explicit KitchenSend(KorvMain& m)
      : m_(m),
        pf_(m.platform()),
        steps_(Steps::Handle([this](const RuntimeError& e) { HandleError(e); })) {}

  void Run() {
    Start();
    ClearWorkLists();
    if (HasUnsentRow(m_.MList1)) Send();
    steps_([&] { ColourSentRows(); });
    // Every document of the send is out before the completion says "SENT":
    // nothing of this order waits for the next order's first ticket, or is
    // lost when the program ends first.
    steps_([&] { pf_.printer.EndDoc(); });
  }

 private:
  void Start() {
    m_.Timer1.SetInterval(0);
    m_.MousePointer = kHourglass;
    m_.SSPanel4.SetVisible(true);
    PlayWhoosh(m_.station(), pf_);
    m_.SSCommand9.SetEnabled(false);
    m_.SSCommand27.SetEnabled(false);
    pf_.loop.DoEvents();
  }

  void ClearWorkLists() {
    for (ListBox* list : {&m_.List2, &m_.List3}) list->Clear();
    for (ListBox* list : StationLists(m_)) list->Clear();
    m_.MList2.Clear();
  }

  void Send() {
    const SendHeads heads = MakeSendHeads(m_.station(), pf_.clock.Now());
    steps_([&] {
      for (const std::string* line : {&heads.order_type, &heads.customer, &heads.time})
        m_.List2.AddItem(*line);
    });
    SendFlags flags;
    steps_([&] { flags = RouteUnsentRows(m_); });
    if (SwitchOn(m_.station(), ConfigField::CourseSorted)) {
      // Intended: the course-sorted ticket passes over every later error
      // without the box.
      steps_ = Steps::Skip();
      steps_([&] { BuildCourseTicket(m_, heads); });
    }
    PrintMainTickets(flags);
    for (int k = 0; k < kStationPrinterCount; ++k)
      if (flags.station[k]) PrintStationTicket(k, heads);
  }

  void PrintMainTickets(const SendFlags& flags) {
    if (flags.kitchen) {
      if (flags.bar) steps_([&] { m_.DrawBarBesideKitchen(); });
      steps_([&] { m_.PrintKitchenTicket(); });
      steps_([&] { m_.Print_Kit2(); });
    }
    if (flags.bar) steps_([&] { m_.PrintBarTicket(); });
    if (flags.kitchen) steps_([&] { SaveReceipt(); });
  }

  // The archive is this station's record of the ticket: under a send's
  // journal a failure is said, with the file, and costs the send nothing
  // (no box, no K-501: the tickets are out).
  void SaveReceipt() {
    if (!m_.UnderJournal()) return m_.Save_Receipt();
    try {
      m_.Save_Receipt();
    } catch (const std::exception& e) {
      const Station& s = m_.station();
      m_.Report("The kitchen ticket " + s.KitchenOrderNo + " could not be kept in " + s.LocalRoot +
                "data\\KitData.Dat (" + ExplainedError(AsRuntimeError(e)) +
                "); the order is sent all the same");
    }
  }

  // Station k (0 for KITCHEN 3): its lines between the customer and time
  // lines and the order type, on its station printer.
  void PrintStationTicket(int k, const SendHeads& heads) {
    Station& s = m_.station();
    steps_([&] {
      m_.List2.Clear();
      m_.List2.AddItem(heads.customer);
      m_.List2.AddItem(heads.time);
      for (const std::string& line : StationLists(m_)[k]->Items()) m_.List2.AddItem(line);
      m_.List2.AddItem(heads.order_type);
      m_.List2.AddItem("");
    });
    steps_([&] { s.KitchenPrinterName = s.Config.Text(StationPrinterField(k)); });
    steps_([&] { s.KitchenHeading = "KITCHEN " + std::to_string(k + 3); });
    steps_([&] { m_.Print_Kit3(); });
    steps_([&] { pf_.loop.DoEvents(); });
  }

  void ColourSentRows() {
    for (int i = 0; i < m_.MList1.Count(); ++i) {
      m_.MList1.SetSelected(i, false);
      const std::string& row = m_.MList1.Item(i);
      if (!row.empty() && row.back() == 'Y') m_.MList1.SetRowColor(i, kYellow);
    }
  }

  // After the box the next kitchen number of the day is K-501. The repair
  // write may itself fail (the counter locked elsewhere); the send goes on.
  void HandleError(const RuntimeError& e) {
    if (e.number() == kErrPermissionDenied) return;
    pf_.boxes.Show(ErrorBoxText(e), "ERROR ENCOUNTERED " + std::to_string(e.number()),
                   BoxIcon::kNone, BoxButtons::kOk);
    pf_.files.CloseAll();
    Steps::Skip()([&] { m_.ResetKitchenCounter(); });
  }

  KorvMain& m_;
  Platform& pf_;
  Steps steps_;
};

}  // namespace

// The dispatch pass waits for "SENT", so the completion runs whatever
// happened in the send; an error that escaped the send's own handling still
// goes back to the caller afterwards. A send its journal halted is not
// completed: the lines it marked sent would be saved as sent, and the
// resumed send would print nothing of what was still to print.
void KorvMain::SSCommand9_Click() {
  std::exception_ptr escaped;
  try {
    KitchenSend(*this).Run();
  } catch (const StepsHalted&) {
    throw;
  } catch (...) {
    escaped = std::current_exception();
  }
  MousePointer = kDefaultPointer;
  SSPanel4.SetVisible(false);
  SSCommand11_Click();
  if (escaped) std::rethrow_exception(escaped);
}

}  // namespace korv
