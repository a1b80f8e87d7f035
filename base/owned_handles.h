#pragma once
// Owners of the system's handles: each closes what it holds exactly once,
// when it goes out of scope or is given something else to hold. They move,
// they do not copy. The rest of the program never calls CloseHandle,
// DeleteObject, DestroyIcon, ReleaseDC and their kin itself.
#include <windows.h>

#include <objbase.h>

#include <utility>

namespace velto {

// One owner for every kind of handle; Traits says which value is empty and
// how a held handle is given back.
template <typename Traits>
class Owned {
 public:
  using Type = typename Traits::Type;

  Owned() = default;
  explicit Owned(Type handle) : m_handle(handle) {}
  Owned(Owned&& other) noexcept : m_handle(other.Release()) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  ~Owned() { Reset(); }

  Type Get() const { return m_handle; }
  explicit operator bool() const { return !Traits::IsEmpty(m_handle); }

  // Gives the held handle back and holds handle instead.
  void Reset(Type handle = Traits::Empty()) {
    if (!Traits::IsEmpty(m_handle)) Traits::Close(m_handle);
    m_handle = handle;
  }
  // Lets go of the handle without giving it back.
  Type Release() { return std::exchange(m_handle, Traits::Empty()); }
  // For calls that write a new handle: the old one is given back first.
  Type* Receive() {
    Reset();
    return &m_handle;
  }

 private:
  Type m_handle = Traits::Empty();
};

struct KernelHandleTraits {
  using Type = HANDLE;
  static Type Empty() { return nullptr; }
  // Calls that make files and pipes give INVALID_HANDLE_VALUE on failure.
  static bool IsEmpty(Type h) { return h == nullptr || h == INVALID_HANDLE_VALUE; }
  static void Close(Type h) { ::CloseHandle(h); }
};

template <typename GdiType>
struct GdiObjectTraits {
  using Type = GdiType;
  static Type Empty() { return nullptr; }
  static bool IsEmpty(Type h) { return h == nullptr; }
  static void Close(Type h) { ::DeleteObject(h); }
};

struct IconTraits {
  using Type = HICON;
  static Type Empty() { return nullptr; }
  static bool IsEmpty(Type h) { return h == nullptr; }
  static void Close(Type h) { ::DestroyIcon(h); }
};

// Handles whose empty value is null and which one call gives back.
template <typename HandleType, auto GiveBack>
struct NullIsEmptyTraits {
  using Type = HandleType;
  static Type Empty() { return nullptr; }
  static bool IsEmpty(Type h) { return h == nullptr; }
  static void Close(Type h) { GiveBack(h); }
};

// FindFirstFileW, like the calls that make files, gives INVALID_HANDLE_VALUE
// when nothing matches.
struct FileSearchTraits : KernelHandleTraits {
  static void Close(Type h) { ::FindClose(h); }
};

// A process, thread, file, pipe, event or job object.
using UniqueHandle = Owned<KernelHandleTraits>;
// A job object: closing its last handle ends the processes in it when it was
// made with JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE.
using JobObject = UniqueHandle;
template <typename GdiType>
using GdiObject = Owned<GdiObjectTraits<GdiType>>;
using OwnedFont = GdiObject<HFONT>;
using OwnedBitmap = GdiObject<HBITMAP>;
using OwnedBrush = GdiObject<HBRUSH>;
using OwnedIcon = Owned<IconTraits>;
using OwnedCursor = Owned<NullIsEmptyTraits<HCURSOR, &::DestroyCursor>>;
using OwnedMenu = Owned<NullIsEmptyTraits<HMENU, &::DestroyMenu>>;
// A device context of CreateCompatibleDC.
using MemoryDC = Owned<NullIsEmptyTraits<HDC, &::DeleteDC>>;
// A library loaded by LoadLibrary(Ex)W.
using OwnedModule = Owned<NullIsEmptyTraits<HMODULE, &::FreeLibrary>>;
using OwnedRegistryKey = Owned<NullIsEmptyTraits<HKEY, &::RegCloseKey>>;
// A search of FindFirstFileW.
using FileSearch = Owned<FileSearchTraits>;

// The thread and process handles that CreateProcessW hands back.
struct OwnedProcess {
  UniqueHandle process;
  UniqueHandle thread;

  OwnedProcess() = default;
  explicit OwnedProcess(const PROCESS_INFORMATION& info) : process(info.hProcess), thread(info.hThread) {}
};

// A window's (or with nullptr the screen's) device context, released to the
// window that gave it.
class WindowDC {
 public:
  explicit WindowDC(HWND window) : m_window(window), m_dc(::GetDC(window)) {}
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  ~WindowDC() {
    if (m_dc) ::ReleaseDC(m_window, m_dc);
  }
  HDC Get() const { return m_dc; }
  explicit operator bool() const { return m_dc != nullptr; }

 private:
  HWND m_window;
  HDC m_dc;
};

// A selection into a device context, undone when the scope ends.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(object ? ::SelectObject(dc, object) : nullptr) {}
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;
  ~SelectedObject() {
    if (m_old) ::SelectObject(m_dc, m_old);
  }

 private:
  HDC m_dc;
  HGDIOBJ m_old;
};

// COM on this thread for the scope's life; Started() says whether it may be
// used (a thread already set up for another model refuses).
class ComInitialization {
 public:
  explicit ComInitialization(DWORD model = COINIT_APARTMENTTHREADED)
      : m_result(::CoInitializeEx(nullptr, model)) {}
  ComInitialization(const ComInitialization&) = delete;
  ComInitialization& operator=(const ComInitialization&) = delete;
  ~ComInitialization() {
    if (SUCCEEDED(m_result)) ::CoUninitialize();
  }
  bool Started() const { return SUCCEEDED(m_result); }

 private:
  HRESULT m_result;
};

}  // namespace velto
