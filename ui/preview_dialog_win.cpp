#include "ui/preview_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <utility>

#include "base/encoder_interface.h"
#include "base/owned_handles.h"
#include "base/text_encoding.h"
#include "base/work_files.h"
#include "engine/batch_rules.h"
#include "engine/command_line.h"
#include "engine/format_duration.h"
#include "engine/local_data.h"
#include "res/resource_ids.h"
#include "settings/conversion_settings.h"
#include "settings/settings_dialog.h"
#include "ui/file_list_text.h"
#include "ui/preview_text.h"

namespace velto {
namespace {

constexpr UINT_PTR kRunTimer = 1;
constexpr UINT kRunPollMs = 20;
constexpr DWORD kDragIntervalMs = 250;
constexpr wchar_t kPictureStem[] = L"velto-preview-";

constexpr char kMakingText[] = "Making the picture...";
constexpr char kCutShortText[] = "The file ends before this moment: its last picture is shown.";
constexpr char kNotStartedText[] = "No picture: the encoder could not be started.";
constexpr char kUnreadablePictureText[] = "No picture: the encoder's picture could not be read.";

std::wstring TempFolder() {
  wchar_t folder[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  return length > 0 && length <= MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

bool ProcessRuns(DWORD id) {
  const UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, id));
  return process && WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT;
}

// Pictures (and the encoder's unfinished ones) that a killed converter left
// in the temporary folder: each name carries its converter's process id.
void RemoveLeftPictures(const std::wstring& folder) {
  WIN32_FIND_DATAW found{};
  const FileSearch search(FindFirstFileW((folder + L"*" + kPictureStem + L"*").c_str(), &found));
  if (!search) return;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const wchar_t* id = std::wcsstr(found.cFileName, kPictureStem);
    const DWORD owner = id ? std::wcstoul(id + std::wcslen(kPictureStem), nullptr, 10) : 0;
    if (owner != 0 && owner != GetCurrentProcessId() && !ProcessRuns(owner))
      DeleteFileW((folder + found.cFileName).c_str());
  } while (FindNextFileW(search.Get(), &found));
}

// The whole file, which goes as it is closed; nothing when it cannot be read.
std::optional<std::vector<unsigned char>> TakeFile(const std::string& path) {
  const UniqueHandle file(CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ | DELETE,
                                      FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  if (!file) return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0 || size.QuadPart > (1LL << 30)) return std::nullopt;
  std::vector<unsigned char> bytes(static_cast<std::size_t>(size.QuadPart));
  DWORD read = 0;
  if (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size())
    return std::nullopt;
  return bytes;
}

// A 24-bit uncompressed BMP whose rows are all there; its size, or nothing.
std::optional<SIZE> BitmapSize(const std::vector<unsigned char>& file) {
  BITMAPFILEHEADER head{};
  BITMAPINFOHEADER info{};
  if (file.size() < sizeof head + sizeof info) return std::nullopt;
  std::memcpy(&head, file.data(), sizeof head);
  std::memcpy(&info, file.data() + sizeof head, sizeof info);
  if (head.bfType != 0x4D42 || info.biSize < sizeof info || info.biBitCount != 24 || info.biCompression != BI_RGB ||
      info.biPlanes != 1)
    return std::nullopt;
  const long long width = info.biWidth;
  const long long height = info.biHeight < 0 ? -static_cast<long long>(info.biHeight) : info.biHeight;
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return std::nullopt;
  const long long stride = (width * 3 + 3) & ~3LL;
  if (head.bfOffBits < sizeof head + info.biSize ||
      static_cast<long long>(head.bfOffBits) + stride * height > static_cast<long long>(file.size()))
    return std::nullopt;
  return SIZE{static_cast<LONG>(width), static_cast<LONG>(height)};
}

std::string FileNameOf(const std::string& path) {
  const std::size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

// The controls that move with the window's right edge or stretch with it,
// and that move with its bottom or stretch with it.
struct Anchor {
  int id;
  bool stretchX, moveX, stretchY, moveY;
};
constexpr Anchor kAnchors[] = {
    {IDC_PREVIEW_PICTURE, true, false, true, false}, {IDC_PREVIEW_SLIDER, true, false, false, true},
    {IDC_PREVIEW_TIME, false, true, false, true},    {IDC_PREVIEW_OUTPUT, true, false, false, true},
    {IDC_PREVIEW_STATUS, true, false, false, true},  {IDC_PREVIEW_SETTINGS, false, false, false, true},
    {IDCANCEL, false, true, false, true},
};

}  // namespace

PreviewDialog::PreviewDialog(Window* parent, MediaEntry source, std::string encoderDirectory)
    : Dialog(IDD_PREVIEW, parent), m_source(std::move(source)), m_encoderDirectory(std::move(encoderDirectory)) {
  const std::wstring folder = TempFolder();
  if (!folder.empty()) {
    RemoveLeftPictures(folder);
    m_picturePath = WideToUtf8(folder + kPictureStem + std::to_wstring(GetCurrentProcessId()) + L".bmp");
  }
}

PreviewDialog::~PreviewDialog() {
  EndRun();
  if (!m_picturePath.empty()) DeleteFileW(Utf8ToWide(m_picturePath).c_str());
}

void PreviewDialog::DoDataExchange(DataExchange& dx) {
  Dialog::DoDataExchange(dx);
  dx.Control(IDC_PREVIEW_SLIDER, m_slider);
  dx.Control(IDC_PREVIEW_TIME, m_time);
  dx.Control(IDC_PREVIEW_OUTPUT, m_output);
  dx.Control(IDC_PREVIEW_STATUS, m_status);
}

const MessageMap& PreviewDialog::GetMessageMap() const {
  using D = PreviewDialog;
  static const MessageMap map = MessageMapBuilder<D>(Dialog::GetMessageMap())
                                    .OnCommand(IDC_PREVIEW_SETTINGS, &D::OnOutputSettings)
                                    .OnMessage(WM_HSCROLL, &D::OnHScroll)
                                    .OnMessage(WM_TIMER, &D::OnTimer)
                                    .OnMessage(kProgressMessage, &D::OnProgressMessage)
                                    .OnMessage(WM_PAINT, &D::OnPaint)
                                    .OnMessage(WM_SIZE, &D::OnSize)
                                    .OnMessage(WM_GETMINMAXINFO, &D::OnGetMinMaxInfo)
                                    .Build();
  return map;
}

BOOL PreviewDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  SetText("Preview - " + FileNameOf(m_source.path));
  const RECT window = WindowRect();
  m_minimumSize = {window.right - window.left, window.bottom - window.top};
  const RECT client = ClientRect();
  m_initialClient = {client.right, client.bottom};
  for (const Anchor& anchor : kAnchors) m_initialRects.emplace_back(anchor.id, ItemRect(anchor.id));

  // Tenths of a second over the file's length (a file cut short: the length
  // its header states), starting at a tenth of it.
  const double length = std::max(m_source.duration, m_source.statedDuration);
  const int tenths = static_cast<int>(std::clamp(std::lround(length * 10.0), 0L, static_cast<long>(INT_MAX / 2)));
  m_slider.SetRange(0, tenths, true);
  m_slider.Send(TBM_SETLINESIZE, 0, 10);
  m_slider.Send(TBM_SETPAGESIZE, 0, std::max(10, tenths / 10));
  m_slider.SetPos(tenths / 10);
  m_wanted = m_slider.GetPos();
  ShowTime();
  ShowOutputLine();
  CenterWindow();
  if (m_picturePath.empty()) {
    m_status.SetText("No picture: there is no temporary folder to make it in.");
  } else {
    Advance();
  }
  return TRUE;
}

void PreviewDialog::OnCancel() {
  EndRun();
  if (!m_picturePath.empty()) DeleteFileW(Utf8ToWide(m_picturePath).c_str());
  Dialog::OnCancel();
}

void PreviewDialog::ShowTime() { m_time.SetText(FormatDuration(m_slider.GetPos() / 10)); }

void PreviewDialog::ShowOutputLine() { m_output.SetText(OutputDescription(g_settings, m_source)); }

// Dragging asks for pictures on the way; letting go (or a key) asks for the
// moment reached, ending a run made for another.
LRESULT PreviewDialog::OnHScroll(WPARAM wParam, LPARAM lParam) {
  if (reinterpret_cast<HWND>(lParam) != m_slider.Handle()) return Default();
  m_wanted = m_slider.GetPos();
  ShowTime();
  if (LOWORD(wParam) == TB_THUMBTRACK) {
    m_dragging = true;
  } else if (LOWORD(wParam) == TB_ENDTRACK) {
    m_dragging = false;
    if (m_run && m_started != m_wanted) EndRun();
  }
  Advance();
  return 0;
}

void PreviewDialog::OnOutputSettings() {
  SettingsDialog dialog(this);
  if (dialog.DoModal() != IDOK) return;
  ShowOutputLine();
  EndRun();
  m_started = -1;
  Advance();
}

LRESULT PreviewDialog::OnTimer(WPARAM timer, LPARAM) {
  if (timer != kRunTimer) return Default();
  Advance();
  return 0;
}

LRESULT PreviewDialog::OnProgressMessage(WPARAM kind, LPARAM value) {
  if (kind == kReportPosition && m_run) m_reported = static_cast<std::int32_t>(value);
  return 0;
}

void PreviewDialog::Advance() {
  if (m_run) {
    if (WaitForSingleObject(m_run->process.process.Get(), 0) != WAIT_OBJECT_0) return;
    FinishRun();
  }
  const bool pending = m_wanted != m_started && !m_picturePath.empty();
  if (pending && (!m_dragging || GetTickCount() - m_lastStart >= kDragIntervalMs)) StartRun();
  const bool wanted = m_run.has_value() || (m_wanted != m_started && !m_picturePath.empty());
  if (wanted != m_timerOn) {
    if (wanted) {
      SetTimer(kRunTimer, kRunPollMs);
    } else {
      KillTimer(kRunTimer);
    }
    m_timerOn = wanted;
  }
}

// The batch's own line for this file (its sizes and bars), at the moment
// wanted, with the picture's file as the output.
void PreviewDialog::StartRun() {
  EncodingParameters params;
  SelectOutputSize(g_settings, params);
  const Letterbox bars = ComputeLetterbox(g_settings.letterbox != 0, m_source.width, m_source.height,
                                          params.outputWidth, params.outputHeight);
  EncoderRun run;
  run.sourcePath = m_source.path;
  run.outputPath = m_picturePath;
  run.padWidth = bars.padWidth;
  run.padHeight = bars.padHeight;
  run.mainWindow = reinterpret_cast<std::intptr_t>(Handle());
  const EncoderCommand command = BuildPreviewCommandLine(g_settings, params, m_source.frameRate, run,
                                                         m_wanted / 10.0, m_encoderDirectory);
  DeleteFileW(Utf8ToWide(m_picturePath).c_str());
  m_started = m_wanted;
  m_lastStart = GetTickCount();
  m_reported = -1;
  m_runAspect = OutputFrameFor(g_settings, m_source).displayAspect;
  StartedEncoder encoder = StartEncoderProcess(command);
  if (!encoder.process.process) {
    m_status.SetText(kNotStartedText);
    return;
  }
  m_run = std::move(encoder);
  m_status.SetText(kMakingText);
}

void PreviewDialog::FinishRun() {
  DWORD code = 0;
  GetExitCodeProcess(m_run->process.process.Get(), &code);
  const EncoderRunResult result{true, code, m_run->processId};
  m_run.reset();
  std::string status;
  if (code == kExitDone) {
    std::optional<std::vector<unsigned char>> file = TakeFile(m_picturePath);
    const std::optional<SIZE> size = file ? BitmapSize(*file) : std::nullopt;
    if (size) {
      m_picture = Picture{size->cx, size->cy, std::move(*file), m_runAspect};
      // A second's leeway: the last picture of a whole file lies just
      // before its end.
      if (m_reported >= 0 && m_reported + 1 < m_started / 10) status = kCutShortText;
    } else {
      m_picture.reset();
      status = kUnreadablePictureText;
    }
  } else {
    m_picture.reset();
    std::string why = CauseWords(CauseOfRun(result, FindEncoderLog(EncoderLogFolder(), result)));
    if (why.empty()) why = "the encoder ended with code " + std::to_string(code);
    status = "No picture of this moment: " + why + ".";
  }
  m_status.SetText(status);
  Invalidate(false);
}

// The encoder writes its picture under a hidden temporary name first.
void PreviewDialog::EndRun() {
  if (!m_run) return;
  EndEncoderProcess(*m_run);
  m_run.reset();
  if (m_picturePath.empty()) return;
  const std::wstring picture = Utf8ToWide(m_picturePath);
  DeleteFileW(picture.c_str());
  DeleteFileW(PartialOutputFor(picture).c_str());
}

RECT PreviewDialog::ItemRect(int id) const {
  RECT rect{};
  GetWindowRect(GetItem(id), &rect);
  MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

LRESULT PreviewDialog::OnPaint(WPARAM, LPARAM) {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(Handle(), &paint);
  const RECT area = ItemRect(IDC_PREVIEW_PICTURE);
  FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  if (m_picture) {
    const DisplayRect shown = FitDisplayRect(m_picture->displayAspect, area.right - area.left, area.bottom - area.top);
    BITMAPFILEHEADER head{};
    std::memcpy(&head, m_picture->file.data(), sizeof head);
    const auto* info = reinterpret_cast<const BITMAPINFO*>(m_picture->file.data() + sizeof head);
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchDIBits(dc, area.left + shown.left, area.top + shown.top, shown.width, shown.height, 0, 0,
                  m_picture->width, m_picture->height, m_picture->file.data() + head.bfOffBits, info, DIB_RGB_COLORS,
                  SRCCOPY);
  }
  EndPaint(Handle(), &paint);
  return 0;
}

LRESULT PreviewDialog::OnSize(WPARAM type, LPARAM size) {
  if (type != SIZE_MINIMIZED && !m_initialRects.empty()) LayOut(LOWORD(size), HIWORD(size));
  return Default();
}

void PreviewDialog::LayOut(int width, int height) {
  const int dx = width - m_initialClient.cx;
  const int dy = height - m_initialClient.cy;
  HDWP moves = BeginDeferWindowPos(static_cast<int>(m_initialRects.size()));
  for (std::size_t i = 0; i < m_initialRects.size() && moves; ++i) {
    const Anchor& anchor = kAnchors[i];
    RECT rect = m_initialRects[i].second;
    if (anchor.moveX) OffsetRect(&rect, dx, 0);
    if (anchor.moveY) OffsetRect(&rect, 0, dy);
    if (anchor.stretchX) rect.right += dx;
    if (anchor.stretchY) rect.bottom += dy;
    moves = DeferWindowPos(moves, GetItem(anchor.id), nullptr, rect.left, rect.top, rect.right - rect.left,
                           rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (moves) EndDeferWindowPos(moves);
  Invalidate(true);
}

LRESULT PreviewDialog::OnGetMinMaxInfo(WPARAM, LPARAM info) {
  if (m_minimumSize.cx > 0) reinterpret_cast<MINMAXINFO*>(info)->ptMinTrackSize = {m_minimumSize.cx, m_minimumSize.cy};
  return 0;
}

}  // namespace velto
