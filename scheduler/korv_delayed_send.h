#pragma once
// KORVdelayedSend1, the station's one visible window and its start-up
// object. Its procedures are defined across scheduler/:
//   startup.cc        Form_Load, ReadStationConfig, Form_Unload, Form_Terminate
//   pending_list.cc   UpdateList
//   dispatch.cc       Timer1_Timer
//   hand_off.cc       LoadOrderIntoEngine
//   order_viewer.cc   the operator's views and buttons

#include <memory>
#include <string>
#include <vector>

#include "common/station.h"
#include "engine/korv_main.h"
#include "platform/platform.h"
#include "platform/screen/elements.h"
#include "platform/screen/file_list.h"

namespace korv {

class KORVdelayedSend1 {
 public:
  KORVdelayedSend1(Station& station, Platform& platform, std::string version);

  // Start-up. Returns false when the program must end at once (a second
  // copy), after the "Startup Error" box.
  bool Form_Load();
  void ReadStationConfig();
  void Form_Unload();
  void Form_Terminate();

  void UpdateList();
  void Timer1_Timer();
  void LoadOrderIntoEngine();

  // Loads the order engine hidden when it is not loaded.
  KorvMain& Engine();
  void UnloadEngine() { engine_.reset(); }
  bool EngineLoaded() const { return engine_ != nullptr; }

  const std::string Caption = "Kitchen Orders - Delayed  Send";

  // Pending list and counts.
  FileListBox File1;
  MultiColumnList MList1;
  ListBox List1;  // order ids of the rows, as read
  Label Label1{"Pending Orders"};
  Label Label2{"0"};  // count of delayed header files
  Label Label6;       // TickCount
  Label Label7;       // progress text
  Label Label12;      // version
  Timer Timer1;
  TrayIcon Tray;
  std::string Image1 = "korv-delayed-send";

  // Error view.
  Button SSCommand4{"Error's"};
  Panel SSPanel2{"Error's "};
  Label Label8{"No Orders will be send while viewing error's"};
  RichTextBox RichTextBox1;
  Button SSCommand5{"Done"};
  Button SSCommand6{"Clear"};

  // Order view.
  Panel SSPanel1;
  Label Label5{"NO ORDERS WILL BE SENT while viewing this order. PLEASE PRESS DONE"};
  Label Label4{"Phone Order"};
  Label Label3{"DS111"};
  Label Label9, Label10, Label11;
  MultiColumnList MList2;
  Button SSCommand3{"Done"};
  Button SSCommand7{"Print"};

  // Window controls.
  Button SSCommand8{"Log"};
  Button SSCommand2{"Done"};
  Button SSCommand1{"End"};
  bool Visible = true;
  bool EndRequested = false;

  Station& station() { return station_; }
  Platform& platform() { return platform_; }

 private:
  Station& station_;
  Platform& platform_;
  std::string version_;
  std::unique_ptr<KorvMain> engine_;
};

}  // namespace korv
