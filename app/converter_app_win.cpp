#include "app/converter_app.h"

#include "ui/main_dialog.h"

namespace velto {

bool ConverterApp::InitInstance() {
  // TO BE ADDED HERE: registration of the player control (hidden regsvr32 run).
  // TO BE ADDED HERE: starting the skin layer and loading the skin.
  // TO BE ADDED HERE: the Tip of the Day, offered before the main window.
  {
    MainDialog dialog;  // loads the settings; its destructor saves them
    SetMainWindow(&dialog);
    dialog.DoModal();
  }
  SetMainWindow(nullptr);
  return false;
}

int ConverterApp::ExitInstance() {
  // TO BE ADDED HERE: shutting the skin layer down.
  return Application::ExitInstance();
}

}  // namespace velto
