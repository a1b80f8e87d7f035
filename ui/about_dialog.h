#pragma once
// The About box: the product's name and version, links to its home page and
// to technical support, and the codec engine's version (from version.ini).
#include <string_view>

#include "framework/dialog.h"
#include "ui/link_controls.h"

namespace velto {

// The product's web addresses, fixed when the program is built.
std::string_view HomePageAddress();
std::string_view SupportAddress();

class AboutDialog : public Dialog {
 public:
  explicit AboutDialog(Window* parent = nullptr);
  ~AboutDialog() override;

  BoldLabelControl m_title;
  UrlLinkControl m_homePageLink;
  UrlLinkControl m_supportLink;
  Window m_engine;

 protected:
  void DoDataExchange(DataExchange& dx) override;
  BOOL OnInitDialog() override;
};

}  // namespace velto
