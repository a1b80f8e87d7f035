#include "ui/about_dialog.h"

#include <string>

#include "base/module_directory.h"
#include "res/resource_ids.h"
#include "settings/settings_store.h"
#include "ui/skin.h"

#ifndef VELTO_HOME_PAGE_URL
#define VELTO_HOME_PAGE_URL "https://velto.example/asf-converter"
#endif
#ifndef VELTO_SUPPORT_URL
#define VELTO_SUPPORT_URL "mailto:support@velto.example"
#endif

namespace velto {

std::string_view HomePageAddress() { return VELTO_HOME_PAGE_URL; }
std::string_view SupportAddress() { return VELTO_SUPPORT_URL; }

AboutDialog::AboutDialog(Window* parent) : Dialog(IDD_ABOUT, parent) {}

AboutDialog::~AboutDialog() = default;

void AboutDialog::DoDataExchange(DataExchange& dx) {
  Dialog::DoDataExchange(dx);
  dx.Control(IDC_ABOUT_TITLE, m_title);
  dx.Control(IDC_ABOUT_HOME_PAGE, m_homePageLink);
  dx.Control(IDC_ABOUT_SUPPORT, m_supportLink);
  dx.Control(IDC_ABOUT_ENGINE, m_engine);
}

BOOL AboutDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  m_title.SetText(std::string("Velto ASF Converter ") + g_versionText);
  const std::string engine = ReadEngineText(ModuleDirectory());
  m_engine.SetText(engine.empty() ? "" : "Codec engine: " + engine);

  m_homePageLink.SetUrl(HomePageAddress());
  m_homePageLink.SetUnderline(1);
  m_supportLink.SetUrl(SupportAddress());
  m_supportLink.SetUnderline(1);

  skin::ApplyToWindow(m_homePageLink.Handle());
  skin::ApplyToWindow(m_supportLink.Handle());
  return TRUE;
}

}  // namespace velto
