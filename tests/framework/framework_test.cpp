// Drives real dialogs from the test templates through the framework's modal
// loop: data exchange, message routing, reflection, dialog keys, exceptions
// in handlers, modeless dialogs, the application object and message boxes.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "base/encoder_interface.h"
#include "framework/application.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "tests/framework/framework_test_ids.h"
#include "tests/framework/scripted_dialog.h"
#include "tests/support/message_box_answerer.h"
#include "tests/support/pump.h"
#include "tests/support/scratch_dir.h"

namespace velto {
namespace {

using velto::testing::Pump;
using velto::testing::ScriptedDialog;

// A control with behaviour of its own: subclassed by data exchange; records
// its attachment, owner drawing and reflected messages.
class RecordingControl : public Button {
 public:
  explicit RecordingControl(std::vector<std::string>& log) : log_(log) {}

  int drawCount = 0;
  int reflectedClicks = 0;
  bool swallowClicks = false;
  HBRUSH brush = nullptr;
  UINT lastCtlColor = 0;

 protected:
  bool SubclassOnAttach() const override { return true; }
  void PreSubclassWindow() override { log_.push_back("attach " + std::to_string(GetId())); }
  void DrawItem(const DRAWITEMSTRUCT&) override { ++drawCount; }

  const MessageMap& GetMessageMap() const override {
    static const MessageMap map = MessageMapBuilder<RecordingControl>(Button::GetMessageMap())
                                      .OnReflectedCommand(BN_CLICKED, &RecordingControl::OnClicked)
                                      .OnReflectedCtlColor(&RecordingControl::OnCtlColor)
                                      .Build();
    return map;
  }

 private:
  bool OnClicked() {
    ++reflectedClicks;
    return swallowClicks;
  }
  HBRUSH OnCtlColor(HDC, UINT kind) {
    lastCtlColor = kind;
    return brush;
  }

  std::vector<std::string>& log_;
};

class TestDialog : public ScriptedDialog {
 public:
  explicit TestDialog(Window* parent = nullptr) : ScriptedDialog(IDD_FRAMEWORK_TEST, parent) {}

  std::vector<std::string> log;
  Edit edit;
  RecordingControl ownerDrawn{log};
  Button plain;
  ComboBox combo;
  ListView list;
  Trackbar trackbar;
  ProgressBar progress;
  RecordingControl label{log};
  bool checked = false;

  // What reached the handlers.
  int plainClicks = 0;
  int ownerDrawnClicks = 0;
  int selectionChanges = 0;
  int lastSelection = -1;
  int rightClicks = 0;
  int scrolls = 0;
  int lastScrollPosition = -1;
  HWND lastScrollControl = nullptr;
  WPARAM lastKind = 0;
  LPARAM lastValue = 0;
  int ticks = 0;
  int aboutCommands = 0;
  int paints = 0;
  int okCount = 0;
  int cancelCount = 0;

  bool endOnOk = false;
  bool endOnCancel = false;
  bool throwOnPlain = false;
  bool throwOnPaint = false;

 protected:
  BOOL OnInitDialog() override {
    log.push_back("init");
    const BOOL result = ScriptedDialog::OnInitDialog();
    log.push_back("init done");
    combo.AddString("first");
    combo.AddString("second");
    combo.AddString("third");
    combo.SetCurSel(0);
    trackbar.SetRange(0, 40);
    return result;
  }

  void DoDataExchange(DataExchange& dx) override {
    log.push_back("exchange");
    dx.Control(IDC_COMBO, combo);
    dx.Control(IDC_OWNER_DRAWN, ownerDrawn);
    dx.Control(IDC_EDIT, edit);
    dx.Control(IDC_LABEL, label);
    dx.Control(IDC_LIST, list);
    dx.Control(IDC_TRACKBAR, trackbar);
    dx.Control(IDC_PROGRESS, progress);
    dx.Control(IDC_PLAIN, plain);
    dx.Check(IDC_CHECK, checked);
  }

  void OnOK() override {
    ++okCount;
    if (endOnOk) Dialog::OnOK();
  }

  void OnCancel() override {
    ++cancelCount;
    if (endOnCancel) Dialog::OnCancel();
  }

  void OnOtherTimer(UINT_PTR id) override {
    if (id == 7) ++ticks;
  }

  const MessageMap& GetMessageMap() const override {
    static const MessageMap map = MessageMapBuilder<TestDialog>(ScriptedDialog::GetMessageMap())
                                      .OnCommand(IDC_PLAIN, &TestDialog::OnPlain)
                                      .OnCommand(IDC_OWNER_DRAWN, &TestDialog::OnOwnerDrawn)
                                      .OnCommand(IDC_COMBO, CBN_SELCHANGE, &TestDialog::OnSelectionChange)
                                      .OnNotify(IDC_LIST, NM_RCLICK, &TestDialog::OnListRightClick)
                                      .OnMessage(WM_HSCROLL, &TestDialog::OnHScroll)
                                      .OnMessage(kProgressMessage, &TestDialog::OnProgressMessage)
                                      .OnMessage(WM_SYSCOMMAND, &TestDialog::OnSysCommand)
                                      .OnMessage(WM_PAINT, &TestDialog::OnPaint)
                                      .Build();
    return map;
  }

 private:
  void OnPlain() {
    ++plainClicks;
    if (throwOnPlain) throw std::runtime_error("handler failure");
  }
  void OnOwnerDrawn() { ++ownerDrawnClicks; }
  void OnSelectionChange() {
    ++selectionChanges;
    lastSelection = combo.GetCurSel();
  }
  void OnListRightClick() { ++rightClicks; }
  LRESULT OnHScroll(WPARAM, LPARAM control) {
    ++scrolls;
    lastScrollControl = reinterpret_cast<HWND>(control);
    lastScrollPosition = trackbar.GetPos();
    return Default();
  }
  LRESULT OnProgressMessage(WPARAM kind, LPARAM value) {
    lastKind = kind;
    lastValue = value;
    return kind == 6 ? 1 : 0;
  }
  LRESULT OnSysCommand(WPARAM command, LPARAM) {
    if ((command & 0xFFF0) == 0x10) {
      ++aboutCommands;
      return 0;
    }
    return Default();
  }
  LRESULT OnPaint(WPARAM, LPARAM) {
    ++paints;
    if (throwOnPaint) throw std::logic_error("paint failure");
    return Default();
  }
};

void PostKey(HWND window, WPARAM key) {
  PostMessageW(window, WM_KEYDOWN, key, 1);
  PostMessageW(window, WM_KEYUP, key, 0xC0000001);
}

TEST(DialogTest, RunsModallyAndAttachesControlsInExchangeOrder) {
  TestDialog dialog;
  dialog.Then([&] {
    EXPECT_TRUE(dialog.IsVisible());
    EXPECT_EQ(Window::FromHandle(dialog.Handle()), &dialog);
    EXPECT_EQ(dialog.combo.Handle(), dialog.GetItem(IDC_COMBO));
    EXPECT_EQ(dialog.list.Handle(), dialog.GetItem(IDC_LIST));
    EXPECT_EQ(dialog.plain.Handle(), dialog.GetItem(IDC_PLAIN));
    // Plain wrappers are only attached; controls with behaviour are subclassed.
    EXPECT_EQ(Window::FromHandle(dialog.GetItem(IDC_COMBO)), nullptr);
    EXPECT_EQ(Window::FromHandle(dialog.GetItem(IDC_OWNER_DRAWN)), &dialog.ownerDrawn);
    EXPECT_EQ(Window::FromHandle(dialog.GetItem(IDC_LABEL)), &dialog.label);
    EXPECT_EQ(dialog.combo.GetCount(), 3);
    // A second exchange leaves the attachments alone.
    dialog.UpdateData(true);
    EXPECT_EQ(Window::FromHandle(dialog.GetItem(IDC_OWNER_DRAWN)), &dialog.ownerDrawn);
    dialog.EndDialog(42);
  });
  EXPECT_EQ(dialog.DoModal(), 42);
  EXPECT_FALSE(dialog.TimedOut());
  const std::vector<std::string> expected{"init", "exchange", "attach 202", "attach 208", "init done", "exchange"};
  EXPECT_EQ(dialog.log, expected);
  EXPECT_FALSE(dialog.IsWindow());
  EXPECT_EQ(dialog.ownerDrawn.Handle(), nullptr);  // let go when the window died

  // The same object runs again with fresh windows.
  dialog.log.clear();
  dialog.Then([&] {
    EXPECT_EQ(dialog.combo.Handle(), dialog.GetItem(IDC_COMBO));
    EXPECT_EQ(Window::FromHandle(dialog.GetItem(IDC_OWNER_DRAWN)), &dialog.ownerDrawn);
    dialog.EndDialog(43);
  });
  EXPECT_EQ(dialog.DoModal(), 43);
  EXPECT_EQ(dialog.log, (std::vector<std::string>{"init", "exchange", "attach 202", "attach 208", "init done"}));
}

TEST(DialogTest, RoutesCommandsNotificationsAndMessagesToHandlers) {
  TestDialog dialog;
  dialog.Then([&] {
    SendMessageW(dialog.Handle(), WM_COMMAND, MAKEWPARAM(IDC_PLAIN, BN_CLICKED),
                 reinterpret_cast<LPARAM>(dialog.plain.Handle()));
    dialog.plain.Send(BM_CLICK);
    EXPECT_EQ(dialog.plainClicks, 2);
    SendMessageW(dialog.Handle(), WM_COMMAND, MAKEWPARAM(999, BN_CLICKED), 0);  // nobody's
    SendMessageW(dialog.Handle(), WM_COMMAND, MAKEWPARAM(IDC_PLAIN, BN_SETFOCUS),
                 reinterpret_cast<LPARAM>(dialog.plain.Handle()));
    EXPECT_EQ(dialog.plainClicks, 2);

    dialog.combo.SetFocus();
    PostKey(dialog.combo.Handle(), VK_DOWN);
    dialog.trackbar.SetFocus();
    PostKey(dialog.trackbar.Handle(), VK_RIGHT);
  });
  dialog.Then([&] {
    EXPECT_EQ(dialog.selectionChanges, 1);
    EXPECT_EQ(dialog.lastSelection, 1);
    EXPECT_GE(dialog.scrolls, 1);
    EXPECT_EQ(dialog.lastScrollControl, dialog.trackbar.Handle());
    EXPECT_EQ(dialog.lastScrollPosition, 1);

    NMHDR header{dialog.list.Handle(), IDC_LIST, static_cast<UINT>(NM_RCLICK)};
    SendMessageW(dialog.Handle(), WM_NOTIFY, IDC_LIST, reinterpret_cast<LPARAM>(&header));
    header.code = static_cast<UINT>(NM_CLICK);
    SendMessageW(dialog.Handle(), WM_NOTIFY, IDC_LIST, reinterpret_cast<LPARAM>(&header));
    EXPECT_EQ(dialog.rightClicks, 1);

    EXPECT_EQ(SendMessageW(dialog.Handle(), kProgressMessage, 6, -5), 1);
    EXPECT_EQ(dialog.lastKind, 6u);
    EXPECT_EQ(dialog.lastValue, -5);
    EXPECT_EQ(SendMessageW(dialog.Handle(), kProgressMessage, 7, 0), 0);

    SendMessageW(dialog.Handle(), WM_SYSCOMMAND, 0x10, 0);
    EXPECT_EQ(dialog.aboutCommands, 1);

    dialog.SetTimer(7, 10);
  });
  dialog.ThenWait(200);
  dialog.Then([&] {
    dialog.KillTimer(7);
    EXPECT_GE(dialog.ticks, 1);
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_FALSE(dialog.TimedOut());
}

TEST(DialogTest, ReflectsOwnerDrawColourAndClicksToSubclassedControls) {
  TestDialog dialog;
  dialog.Then([&] {
    dialog.ownerDrawn.drawCount = 0;
    dialog.ownerDrawn.Invalidate();
    UpdateWindow(dialog.ownerDrawn.Handle());
    EXPECT_GE(dialog.ownerDrawn.drawCount, 1);

    HDC dc = GetDC(dialog.label.Handle());
    auto gray = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    dialog.label.brush = gray;
    EXPECT_EQ(SendMessageW(dialog.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(dialog.label.Handle())),
              reinterpret_cast<LRESULT>(gray));
    EXPECT_EQ(dialog.label.lastCtlColor, static_cast<UINT>(WM_CTLCOLORSTATIC));
    dialog.label.brush = nullptr;  // declined: the dialog's own colours apply
    EXPECT_NE(SendMessageW(dialog.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(dialog.label.Handle())),
              reinterpret_cast<LRESULT>(gray));
    ReleaseDC(dialog.label.Handle(), dc);

    dialog.ownerDrawn.Send(BM_CLICK);
    EXPECT_EQ(dialog.ownerDrawn.reflectedClicks, 1);
    EXPECT_EQ(dialog.ownerDrawnClicks, 1);
    dialog.ownerDrawn.swallowClicks = true;
    dialog.ownerDrawn.Send(BM_CLICK);
    EXPECT_EQ(dialog.ownerDrawn.reflectedClicks, 2);
    EXPECT_EQ(dialog.ownerDrawnClicks, 1);
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
}

TEST(DialogTest, EnterEscapeAndCloseBoxReachOkAndCancel) {
  TestDialog dialog;  // OK and Cancel overridden to do nothing
  dialog.Then([&] {
    dialog.edit.SetFocus();
    PostKey(dialog.edit.Handle(), VK_ESCAPE);
  });
  dialog.Then([&] {
    EXPECT_EQ(dialog.cancelCount, 1);
    EXPECT_EQ(dialog.okCount, 0);
    PostKey(dialog.edit.Handle(), VK_RETURN);
  });
  dialog.Then([&] {
    EXPECT_EQ(dialog.okCount, 1);
    EXPECT_EQ(dialog.cancelCount, 1);
    dialog.Post(WM_CLOSE);
  });
  dialog.Then([&] {
    EXPECT_EQ(dialog.cancelCount, 2);
    SendMessageW(dialog.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);  // the close box
    EXPECT_EQ(dialog.cancelCount, 3);
    EXPECT_TRUE(dialog.IsVisible());
    dialog.EndDialog(5);
  });
  EXPECT_EQ(dialog.DoModal(), 5);
  EXPECT_EQ(dialog.okCount, 1);
}

TEST(DialogTest, DefaultOkReadsTheControlsAndDefaultCancelEnds) {
  TestDialog okDialog;
  okDialog.endOnOk = true;
  okDialog.Then([&] {
    EXPECT_EQ(okDialog.GetItem(IDC_CHECK) != nullptr, true);
    SendMessageW(okDialog.GetItem(IDC_CHECK), BM_CLICK, 0, 0);
    okDialog.edit.SetFocus();
    PostKey(okDialog.edit.Handle(), VK_RETURN);
  });
  okDialog.Then([&] { ADD_FAILURE() << "Enter did not end the dialog"; });
  EXPECT_EQ(okDialog.DoModal(), IDOK);
  EXPECT_TRUE(okDialog.checked);

  TestDialog cancelDialog;
  cancelDialog.endOnCancel = true;
  cancelDialog.Then([&] { PostKey(cancelDialog.edit.Handle(), VK_ESCAPE); });
  cancelDialog.Then([&] { ADD_FAILURE() << "Esc did not end the dialog"; });
  EXPECT_EQ(cancelDialog.DoModal(), IDCANCEL);
  EXPECT_FALSE(cancelDialog.checked);
}

TEST(DialogTest, ExceptionInHandlerIsCaughtAndTheDialogSurvives) {
  testing::RunOneStep<TestDialog>([](TestDialog& dialog) {
    dialog.throwOnPlain = true;
    SendMessageW(dialog.Handle(), WM_COMMAND, MAKEWPARAM(IDC_PLAIN, BN_CLICKED),
                 reinterpret_cast<LPARAM>(dialog.plain.Handle()));
    EXPECT_EQ(dialog.plainClicks, 1);
    EXPECT_TRUE(dialog.IsWindow());

    // A failing paint handler still leaves the window validated.
    dialog.throwOnPaint = true;
    dialog.paints = 0;
    dialog.Invalidate();
    UpdateWindow(dialog.Handle());
    EXPECT_GE(dialog.paints, 1);
    EXPECT_FALSE(GetUpdateRect(dialog.Handle(), nullptr, FALSE));
    dialog.throwOnPaint = false;

    dialog.throwOnPlain = false;
    dialog.plain.Send(BM_CLICK);
    EXPECT_EQ(dialog.plainClicks, 2);
  });
}

class ThrowingInitDialog : public TestDialog {
 protected:
  BOOL OnInitDialog() override {
    TestDialog::OnInitDialog();
    throw std::runtime_error("initialisation failure");
  }
};

TEST(DialogTest, ExceptionInInitDialogStillShowsTheDialog) {
  ThrowingInitDialog dialog;
  dialog.Then([&] { EXPECT_TRUE(dialog.IsVisible()); });
  EXPECT_EQ(dialog.DoModal(), IDOK);
}

class ModelessDialog : public Dialog {
 public:
  ModelessDialog() : Dialog(IDD_MODELESS_TEST) {}
  Static text;
  Button button;
  int buttonClicks = 0;
  int okCount = 0;
  int cancelCount = 0;

 protected:
  void DoDataExchange(DataExchange& dx) override {
    dx.Control(IDC_MODELESS_BUTTON, button);
    dx.Control(IDC_MODELESS_TEXT, text);
  }
  void OnOK() override { ++okCount; }
  void OnCancel() override { ++cancelCount; }
  const MessageMap& GetMessageMap() const override {
    static const MessageMap map = MessageMapBuilder<ModelessDialog>(Dialog::GetMessageMap())
                                      .OnCommand(IDC_MODELESS_BUTTON, &ModelessDialog::OnButton)
                                      .Build();
    return map;
  }

 private:
  void OnButton() { ++buttonClicks; }
};

TEST(ModelessDialogTest, CreatesHiddenThenShowsHidesAndHandlesDialogKeys) {
  ModelessDialog dialog;
  ASSERT_TRUE(dialog.Create(nullptr));
  EXPECT_FALSE(dialog.IsModal());
  EXPECT_FALSE(dialog.IsVisible());
  EXPECT_EQ(dialog.text.GetText(), "Static");
  EXPECT_FALSE(dialog.Create(nullptr));  // one window per object

  dialog.CenterWindow();
  dialog.Show(SW_SHOW);
  EXPECT_TRUE(dialog.IsVisible());

  PostKey(dialog.button.Handle(), VK_ESCAPE);
  Pump();
  EXPECT_EQ(dialog.cancelCount, 1);
  dialog.Post(WM_CLOSE);
  Pump();
  EXPECT_EQ(dialog.cancelCount, 2);
  EXPECT_TRUE(dialog.IsVisible());

  dialog.button.Send(BM_CLICK);
  EXPECT_EQ(dialog.buttonClicks, 1);

  dialog.Show(SW_HIDE);
  EXPECT_FALSE(dialog.IsVisible());
  dialog.Show(SW_SHOW);
  dialog.EndDialog(IDCANCEL);  // modeless: only hides
  EXPECT_FALSE(dialog.IsVisible());
  EXPECT_TRUE(dialog.IsWindow());

  HWND hwnd = dialog.Handle();
  EXPECT_TRUE(dialog.DestroyWindow());
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(dialog.Handle(), nullptr);
}

TEST(DialogTest, ModalDialogDisablesItsOwnerWhileItRuns) {
  ModelessDialog owner;
  ASSERT_TRUE(owner.Create(nullptr));
  owner.Show(SW_SHOW);

  TestDialog dialog(&owner);
  dialog.Then([&] {
    EXPECT_FALSE(owner.IsEnabled());
    EXPECT_EQ(GetWindow(dialog.Handle(), GW_OWNER), owner.Handle());
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_TRUE(owner.IsEnabled());

  // Without a parent the application's main window owns the dialog.
  Application app;
  app.SetMainWindow(&owner);
  TestDialog orphan;
  orphan.Then([&] { EXPECT_EQ(GetWindow(orphan.Handle(), GW_OWNER), owner.Handle()); });
  EXPECT_EQ(orphan.DoModal(), IDOK);
  EXPECT_TRUE(owner.IsEnabled());
}

TEST(DialogTest, QuitMessageEndsTheModalLoopAndStaysQueued) {
  TestDialog dialog;
  dialog.Then([] { PostQuitMessage(3); });
  dialog.ThenWait(3000);  // an empty queue: WM_QUIT comes next
  dialog.Then([] { ADD_FAILURE() << "the loop went on after WM_QUIT"; });
  EXPECT_EQ(dialog.DoModal(), -1);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);
}

TEST(DialogTest, MissingTemplateFailsWithMinusOne) {
  Dialog missing(4321);
  EXPECT_EQ(missing.DoModal(), -1);
  EXPECT_FALSE(missing.Create(nullptr));
}

// ---------------------------------------------------------------- application

class TestApp : public Application {
 public:
  bool runLoop = false;
  bool initialised = false;
  int exitCode = 0;
  bool InitInstance() override {
    initialised = true;
    if (runLoop) PostQuitMessage(5);
    return runLoop;
  }
  int ExitInstance() override { return exitCode ? exitCode : Application::ExitInstance(); }
};

TEST(ApplicationTest, RunCallsInitInstanceThenExitInstance) {
  EXPECT_EQ(Application::Current(), nullptr);
  {
    TestApp app;
    EXPECT_EQ(Application::Current(), &app);
    app.exitCode = 7;
    EXPECT_EQ(app.Run(GetModuleHandleW(nullptr), SW_SHOWNORMAL), 7);
    EXPECT_TRUE(app.initialised);
    EXPECT_EQ(app.Instance(), GetModuleHandleW(nullptr));
    EXPECT_EQ(ResourceInstance(), GetModuleHandleW(nullptr));
  }
  EXPECT_EQ(Application::Current(), nullptr);

  TestApp looping;
  looping.runLoop = true;
  EXPECT_EQ(looping.Run(GetModuleHandleW(nullptr), SW_SHOWNORMAL), 5);  // WM_QUIT's code
}

TEST(ApplicationTest, ProfileIsAnIniFileNamedAfterTheExecutable) {
  TestApp app;
  const std::wstring& name = app.ProfileName();
  ASSERT_GE(name.size(), 4u);
  EXPECT_EQ(name, L"framework_tests.INI");

  const testing::ScratchDir scratch("framework profile");
  app.SetProfileName(scratch.path() / "velto framework profile.ini");

  EXPECT_EQ(app.GetProfileInt("Tip", "StartUp", 0), 0);
  EXPECT_TRUE(app.WriteProfileInt("Tip", "StartUp", 1));
  EXPECT_EQ(app.GetProfileInt("Tip", "StartUp", 0), 1);
  EXPECT_TRUE(app.WriteProfileInt("Tip", "FilePos", 123456));
  EXPECT_EQ(app.GetProfileInt("Tip", "FilePos", 0), 123456);
  EXPECT_EQ(app.GetProfileString("Tip", "TimeStamp"), "");
  EXPECT_EQ(app.GetProfileString("Tip", "TimeStamp", "none"), "none");
  EXPECT_TRUE(app.WriteProfileString("Tip", "TimeStamp", "Mon Dec  7 09:35:33 2026"));
  EXPECT_EQ(app.GetProfileString("Tip", "TimeStamp"), "Mon Dec  7 09:35:33 2026");
  EXPECT_TRUE(app.WriteProfileString("Tip", "Name", "Grüße 100% & ^!"));
  EXPECT_EQ(app.GetProfileString("Tip", "Name"), "Grüße 100% & ^!");
  const std::string longValue(700, 'x');
  EXPECT_TRUE(app.WriteProfileString("Tip", "Long", longValue));
  EXPECT_EQ(app.GetProfileString("Tip", "Long"), longValue);
}

TEST(ApplicationTest, StandardSwitchesDecideTheSplash) {
  EXPECT_TRUE(ParseCommandLineArguments({}).showSplash);
  const CommandLineInfo embedded = ParseCommandLineArguments({"/Embedding"});
  EXPECT_FALSE(embedded.showSplash);
  EXPECT_TRUE(embedded.runEmbedded);
  const CommandLineInfo automated = ParseCommandLineArguments({"-AUTOMATION"});
  EXPECT_FALSE(automated.showSplash);
  EXPECT_TRUE(automated.runAutomated);
  const CommandLineInfo file = ParseCommandLineArguments({"C:\\Vidéos\\a b.asf", "/p", "second"});
  EXPECT_TRUE(file.showSplash);
  EXPECT_EQ(file.fileName, "C:\\Vidéos\\a b.asf");
}

// ---------------------------------------------------------------- message box

TEST(MessageBoxTest, TitledWithTheApplicationNameAndShowsUtf8Text) {
  {
    testing::MessageBoxAnswerer ok(IDOK);
    EXPECT_EQ(ShowMessageBox("Load file C:\\Vidéos\\ä b.asf failed.", MB_OK, {}), IDOK);
    EXPECT_EQ(ok.captions, std::vector<std::wstring>{L"Velto ASF Converter"});
    EXPECT_EQ(ok.texts, std::vector<std::wstring>{L"Load file C:\\Vid\u00e9os\\\u00e4 b.asf failed."});
  }
  {
    testing::MessageBoxAnswerer yes(IDYES);
    EXPECT_EQ(ShowMessageBox("Do you really want to stop?", MB_YESNO | MB_ICONQUESTION, {}), IDYES);
  }
  testing::MessageBoxAnswerer ok(IDOK);
  EXPECT_EQ(ShowMessageBox("No item was selected!", MB_OK, "Warning"), IDOK);
  EXPECT_EQ(ok.captions, std::vector<std::wstring>{L"Warning"});
}

TEST(ResourceTest, StringsLoadAsUtf8AndMissingOnesAreEmpty) {
  EXPECT_EQ(LoadResourceString(IDS_TEST_STRING), "&About Velto ASF Converter...");
  EXPECT_EQ(LoadResourceString(4999), "");
}

}  // namespace
}  // namespace velto
