// The file-list commands: remove, move up and down, preview, the list's
// context menu, and choosing the output folder.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>

#include "base/owned_handles.h"
#include "base/text_encoding.h"
#include "engine/media_list.h"
#include "framework/application.h"
#include "res/resource_ids.h"
#include "settings/settings_store.h"
#include "ui/file_list_text.h"
#include "ui/main_dialog.h"
#include "ui/preview_dialog.h"
#include "ui/skin.h"

namespace velto {
namespace {

constexpr char kNoSelectionText[] = "No item was selected!";
constexpr char kNoSelectionCaption[] = "Warning";
constexpr wchar_t kBrowseTitle[] = L"Select a temporary folder";
constexpr char kFolderTooLongText[] =
    "The path of the chosen folder is too long: an output folder may have at most 255 characters.";
constexpr char kNoFileSystemFolderText[] = "The chosen folder cannot be used as the output folder.";
constexpr int kListColumns = 3;

}  // namespace

void MainDialog::RenumberRows(int from) {
  const int rows = m_fileList.GetItemCount();
  for (int row = from < 0 ? 0 : from; row < rows; ++row) m_fileList.SetItemText(row, 0, RowNumberText(row + 1));
}

void MainDialog::RemoveSelected() {
  if (m_busy || g_mediaList.empty()) return;
  const int row = m_fileList.GetSelectedItem();
  if (!g_mediaList.IsValidIndex(row)) return;
  m_fileList.DeleteItem(row);
  g_mediaList.Remove(row);
  RenumberRows(row);
  if (row < m_fileList.GetItemCount()) {
    m_fileList.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
    m_fileList.SetFocus();
  }
}

void MainDialog::MoveSelectedUp() { MoveSelected(-1); }

void MainDialog::MoveSelectedDown() { MoveSelected(+1); }

// A row at the edge it would leave only gives the list the focus.
void MainDialog::MoveSelected(int step) {
  if (m_busy || g_mediaList.count() < 2) return;
  const int row = m_fileList.GetSelectedItem();
  if (row < 0) {
    ShowMessageBox(kNoSelectionText, MB_OK | MB_ICONWARNING, kNoSelectionCaption);
    return;
  }
  if (step < 0 ? row == 0 : row >= g_mediaList.count() - 1) {
    m_fileList.SetFocus();
    return;
  }
  SwapRows(row, row + step);
}

void MainDialog::SwapRows(int a, int b) {
  if (!g_mediaList.IsValidIndex(a) || !g_mediaList.IsValidIndex(b) || a == b) return;
  // Column 0 keeps its numbers; the others travel with the file.
  for (int column = 1; column < kListColumns; ++column) {
    const std::string textA = m_fileList.GetItemText(a, column);
    const std::string textB = m_fileList.GetItemText(b, column);
    m_fileList.SetItemText(a, column, textB);
    m_fileList.SetItemText(b, column, textA);
  }
  m_fileList.SetItemState(b, LVIS_SELECTED, LVIS_SELECTED);
  m_fileList.EnsureVisible(b);
  m_fileList.SetItemState(a, 0, LVIS_SELECTED);
  m_fileList.SetItemState(b, LVIS_FOCUSED, LVIS_FOCUSED);
  m_fileList.SetFocus();
  g_mediaList.Swap(a, b);
}

void MainDialog::PreviewSelected() {
  if (m_busy) return;
  const int row = m_fileList.GetSelectedItem();
  if (!g_mediaList.IsValidIndex(row)) {
    ShowMessageBox(kNoSelectionText, MB_OK | MB_ICONWARNING, kNoSelectionCaption);
    return;
  }
  ShowPreview(row);
}

// A double click beside the rows does nothing.
void MainDialog::OnListDoubleClick(NMHDR& header, LRESULT&) {
  const int row = reinterpret_cast<NMITEMACTIVATE&>(header).iItem;
  if (!m_busy && g_mediaList.IsValidIndex(row)) ShowPreview(row);
}

// Output Settings may be changed from the preview: the quick settings follow.
void MainDialog::ShowPreview(int row) {
  PreviewDialog preview(this, g_mediaList.at(row), EncoderDirectory());
  preview.DoModal();
  ShowQuickSettings();
}

void MainDialog::ShowListMenu() {
  if (m_busy) return;
  ShowMenuAtCursor(Handle(), IDR_LIST_MENU, &skin::TrackPopupMenu);
}

void MainDialog::BrowseOutputFolder() {
  if (m_busy) return;
  IMalloc* allocator = nullptr;
  if (FAILED(SHGetMalloc(&allocator)) || !allocator) return;
  const ComInitialization com(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

  wchar_t displayName[MAX_PATH] = {};
  BROWSEINFOW browse{};
  browse.hwndOwner = Handle();
  browse.pidlRoot = nullptr;
  browse.pszDisplayName = displayName;
  browse.lpszTitle = kBrowseTitle;
  browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS;
  PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&browse);
  if (item) {
    wchar_t path[MAX_PATH] = {};
    if (!SHGetPathFromIDListW(item, path) || path[0] == L'\0') {
      ShowMessageBox(kNoFileSystemFolderText, MB_OK | MB_ICONWARNING);
    } else if (const auto folder = OutputFolderFromBrowser(WideToUtf8(path), kOutputFolderLimit)) {
      m_outputFolderEdit.SetText(*folder);
      m_outputFolder = *folder;
    } else {
      ShowMessageBox(kFolderTooLongText, MB_OK | MB_ICONWARNING);
    }
    allocator->Free(item);
  }
  allocator->Release();
}

}  // namespace velto
