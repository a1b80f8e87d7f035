#pragma once
// Preview: one picture of a file as its output will come out, made by the
// encoder from the conversion's own argument line at a moment the slider
// picks. One encoder run at a time, watched from a timer so that the window
// stays alive; a newer moment replaces a running one. The picture goes
// through a temporary file of this window's, read and removed as soon as
// the run ends.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/encoder_process.h"
#include "engine/media_list.h"
#include "framework/controls.h"
#include "framework/dialog.h"

namespace velto {

class PreviewDialog : public Dialog {
 public:
  // `encoderDirectory` holds veltoenc.exe and ends with a backslash.
  PreviewDialog(Window* parent, MediaEntry source, std::string encoderDirectory);
  // Ends a running run and removes the picture's file.
  ~PreviewDialog() override;

  // The picture shown: its stored size (0 x 0 while there is none).
  int PictureWidth() const { return m_picture ? m_picture->width : 0; }
  int PictureHeight() const { return m_picture ? m_picture->height : 0; }
  // An encoder run is making a picture.
  bool Working() const { return m_run.has_value(); }
  // Where the encoder writes the picture.
  const std::string& PicturePath() const { return m_picturePath; }

 protected:
  void DoDataExchange(DataExchange& dx) override;
  BOOL OnInitDialog() override;
  void OnOK() override {}
  void OnCancel() override;
  const MessageMap& GetMessageMap() const override;

 private:
  struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> file;  // the whole BMP
    double displayAspect = 1.0;
  };

  void OnOutputSettings();
  LRESULT OnHScroll(WPARAM, LPARAM);
  LRESULT OnTimer(WPARAM, LPARAM);
  LRESULT OnProgressMessage(WPARAM kind, LPARAM value);
  LRESULT OnPaint(WPARAM, LPARAM);
  LRESULT OnSize(WPARAM, LPARAM);
  LRESULT OnGetMinMaxInfo(WPARAM, LPARAM);

  // Starts the wanted moment's run when none runs (while the thumb is
  // dragged, at most every kDragIntervalMs), and takes a finished run's
  // picture.
  void Advance();
  void StartRun();
  void FinishRun();
  // Ends a running run at once and removes what it wrote.
  void EndRun();
  // The moment shown beside the slider.
  void ShowTime();
  void ShowOutputLine();
  // The controls follow the window's size: the picture takes what it gains.
  void LayOut(int width, int height);
  RECT ItemRect(int id) const;

  MediaEntry m_source;
  std::string m_encoderDirectory;
  std::string m_picturePath;

  Trackbar m_slider;
  Static m_time;
  Static m_output;
  Static m_status;

  std::optional<StartedEncoder> m_run;
  double m_runAspect = 1.0;      // the display aspect of the running run's output
  std::int32_t m_wanted = 0;     // tenths of a second
  std::int32_t m_started = -1;   // the moment of the last run started; -1: none for these settings
  std::int32_t m_reported = -1;  // whole seconds the running run says its picture shows
  std::uint32_t m_lastStart = 0;
  bool m_dragging = false;
  bool m_timerOn = false;
  std::optional<Picture> m_picture;

  // The layout the template gives, in pixels.
  SIZE m_minimumSize{};
  SIZE m_initialClient{};
  std::vector<std::pair<int, RECT>> m_initialRects;
};

}  // namespace velto
