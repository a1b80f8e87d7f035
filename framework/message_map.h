#pragma once
// Per-class dispatch tables. Each window class with handlers of its own keeps
// one static MessageMap built from its base class's map:
//
//   const MessageMap& MainDialog::GetMessageMap() const {
//     static const MessageMap map = MessageMapBuilder<MainDialog>(Dialog::GetMessageMap())
//         .OnCommand(1002, &MainDialog::AddFiles)
//         .OnCommand(1066, CBN_SELCHANGE, &MainDialog::OnFormatChange)
//         .OnNotify(1006, NM_RCLICK, &MainDialog::ShowListMenu)
//         .OnMessage(WM_SYSCOMMAND, &MainDialog::OnSysCommand)
//         .Build();
//     return map;
//   }
//
// A class's own entries are searched before those of its base classes.
#include <windows.h>

#include <functional>
#include <utility>
#include <vector>

namespace velto {

class Window;

enum class MapEntryKind {
  Message,            // a message to the window itself
  Command,            // WM_COMMAND by control or menu id and notification code
  Notify,             // WM_NOTIFY by control id and notification code
  ReflectedCommand,   // a parent's WM_COMMAND from this control, by code
  ReflectedCtlColor,  // any WM_CTLCOLOR* the parent got for this control
};

struct MapEntry {
  MapEntryKind kind;
  UINT code;     // message number or notification code
  UINT_PTR id;   // control or menu id (commands and notifications only)
  // Runs the handler. Returns false when the handler reports the message as
  // not handled (reflected entries only); result receives the message result.
  std::function<bool(Window&, WPARAM, LPARAM, LRESULT& result)> call;
};

class MessageMap {
 public:
  explicit MessageMap(const MessageMap* base = nullptr) : base_(base) {}

  // The first matching entry of this map or, failing that, of its bases.
  const MapEntry* Find(MapEntryKind kind, UINT code, UINT_PTR id = 0) const;
  void Add(MapEntry entry) { entries_.push_back(std::move(entry)); }

 private:
  const MessageMap* base_;
  std::vector<MapEntry> entries_;
};

template <class T>
class MessageMapBuilder {
 public:
  MessageMapBuilder() : map_(nullptr) {}
  explicit MessageMapBuilder(const MessageMap& base) : map_(&base) {}

  // Button click or menu command (notification code 0).
  MessageMapBuilder& OnCommand(UINT id, void (T::*handler)()) { return OnCommand(id, 0, handler); }

  MessageMapBuilder& OnCommand(UINT id, UINT code, void (T::*handler)()) {
    return Add(MapEntryKind::Command, code, id, [handler](Window& w, WPARAM, LPARAM, LRESULT& r) {
      (Self(w).*handler)();
      r = 0;
      return true;
    });
  }

  MessageMapBuilder& OnNotify(UINT id, UINT code, void (T::*handler)()) {
    return Add(MapEntryKind::Notify, code, id, [handler](Window& w, WPARAM, LPARAM, LRESULT& r) {
      r = 0;
      (Self(w).*handler)();
      return true;
    });
  }

  MessageMapBuilder& OnNotify(UINT id, UINT code, void (T::*handler)(NMHDR&, LRESULT&)) {
    return Add(MapEntryKind::Notify, code, id, [handler](Window& w, WPARAM, LPARAM l, LRESULT& r) {
      r = 0;
      (Self(w).*handler)(*reinterpret_cast<NMHDR*>(l), r);
      return true;
    });
  }

  // Any message; the handler's result is the message result. A handler that
  // wants the window's default processing as well calls Default().
  MessageMapBuilder& OnMessage(UINT message, LRESULT (T::*handler)(WPARAM, LPARAM)) {
    return Add(MapEntryKind::Message, message, 0, [handler](Window& w, WPARAM wp, LPARAM lp, LRESULT& r) {
      r = (Self(w).*handler)(wp, lp);
      return true;
    });
  }

  // Returning false lets the parent handle the command as well.
  MessageMapBuilder& OnReflectedCommand(UINT code, bool (T::*handler)()) {
    return Add(MapEntryKind::ReflectedCommand, code, 0, [handler](Window& w, WPARAM, LPARAM, LRESULT& r) {
      r = 0;
      return (Self(w).*handler)();
    });
  }

  // The handler gets the device context and which WM_CTLCOLOR* it was; a
  // null brush leaves the message to the parent.
  MessageMapBuilder& OnReflectedCtlColor(HBRUSH (T::*handler)(HDC, UINT)) {
    return Add(MapEntryKind::ReflectedCtlColor, 0, 0, [handler](Window& w, WPARAM wp, LPARAM lp, LRESULT& r) {
      // Window::OnChildNotify passes the device context and the message number.
      HBRUSH brush = (Self(w).*handler)(reinterpret_cast<HDC>(wp), static_cast<UINT>(lp));
      r = reinterpret_cast<LRESULT>(brush);
      return brush != nullptr;
    });
  }

  MessageMap Build() { return std::move(map_); }

 private:
  static T& Self(Window& w) { return static_cast<T&>(w); }

  template <class F>
  MessageMapBuilder& Add(MapEntryKind kind, UINT code, UINT_PTR id, F&& call) {
    map_.Add(MapEntry{kind, code, id, std::forward<F>(call)});
    return *this;
  }

  MessageMap map_;
};

}  // namespace velto
