#pragma once
// Argument strings as the converter sends them, one per format and branch,
// written out by hand. %SRC%, %OUT%, %MODE% and %HWND% are filled in.
#include <string>

namespace velto::test {

inline constexpr const char* kAviMp3 =
    "\"%SRC%\" -o \"%OUT%\" -oac mp3lame -ovc lavc -lameopts vbr=3:br=128:mode=3"
    " -lavcopts vcodec=mpeg4:vbitrate=1000:vhq:vqmin=1:vqmax=31:autoaspect=1 -ffourcc DX50"
    " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=avi -sws 2"
    " -af volume=+0db:0:channels=2 -ofps 25.000000 -endpos 9:0:0 %MODE% %HWND%";
inline constexpr const char* kAviAc3 =
    "\"%SRC%\" -o \"%OUT%\" -oac lavc -ovc lavc"
    " -lavcopts acodec=ac3:abitrate=128:vcodec=mpeg4:vbitrate=1000:vhq:vqmin=1:vqmax=31:autoaspect=1 -ffourcc DX50"
    " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=avi -sws 2"
    " -af volume=+0db:0:channels=6:lavcresample=44100 -srate 44100 -ofps 15000/1001 -vf scale=176:144,harddup"
    " -endpos 9:0:0 %MODE% %HWND%";
inline constexpr const char* kXvidMp3 =
    "\"%SRC%\" -o \"%OUT%\" -oac mp3lame -ovc xvid -lameopts vbr=3:br=96:mode=3 -xvidencopts bitrate=640:autoaspect=1"
    " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=avi -sws 2"
    " -af volume=+6db:0:channels=2 -ofps 20.000000 -endpos 9:0:0 %MODE% %HWND%";
inline constexpr const char* kXvidAc3 =
    "\"%SRC%\" -o \"%OUT%\" -oac lavc -ovc xvid -lavcopts acodec=ac3:abitrate=96 -xvidencopts bitrate=640:autoaspect=1"
    " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=avi -sws 2"
    " -af volume=+0db:0:channels=6:lavcresample=44100 -srate 44100 -ofps 24000/1001 -endpos 9:0:0 %MODE% %HWND%";
inline constexpr const char* kMpeg1 =
    "\"%SRC%\" -o \"%OUT%\" -af volume=+0db:0:channels=2:lavcresample=44100 -srate 44100 -oac lavc -ovc lavc"
    " -lavcopts vcodec=mpeg1video:keyint=18:vrc_buf_size=327:vrc_minrate=800:vbitrate=800:vrc_maxrate=800:acodec=mp2:abitrate=128:autoaspect=1:aspect=4/3"
    " -of lavf -lavfopts format=mpg:i_certify_that_my_video_stream_does_not_use_b_frames -ofps 25.000000"
    " -vf scale=320:240,harddup -endpos 9:0:0 %MODE% %HWND%";
inline constexpr const char* kMpeg2 =
    "\"%SRC%\" -o \"%OUT%\" -oac lavc -ovc lavc"
    " -lavcopts vcodec=mpeg2video:keyint=18:vrc_buf_size=1835:vrc_maxrate=9400:vbitrate=1600:acodec=mp2:abitrate=128:autoaspect=1:aspect=16/9"
    " -of lavf -lavfopts format=mpg:i_certify_that_my_video_stream_does_not_use_b_frames"
    " -af volume=-6db:0:channels=2:lavcresample=44100 -srate 44100 -ofps 30000/1001"
    " -vf scale=640:-3,harddup,expand=640:480 -endpos 9:0:0 %MODE% %HWND%";
inline constexpr const char* kVcdNtsc =
    "\"%SRC%\" -o \"%OUT%\" -oac lavc -ovc lavc -of mpeg"
    " -lavcopts vcodec=mpeg1video:keyint=18:vrc_buf_size=327:vrc_minrate=1152:vbitrate=1152:vrc_maxrate=1152:acodec=mp2:abitrate=192:autoaspect=1:aspect=4/3"
    " -mpegopts format=xvcd -af volume=+0db:0:channels=2:lavcresample=44100 -srate 44100 -ofps 24000/1001"
    " -vf scale=-3:240,harddup,expand=352:240 -endpos 9:0:0 %MODE% %HWND%";
inline constexpr const char* kVcdPal =
    "\"%SRC%\" -o \"%OUT%\" -oac lavc -ovc lavc -of mpeg"
    " -lavcopts vcodec=mpeg1video:keyint=15:vrc_buf_size=327:vrc_minrate=1152:vbitrate=1152:vrc_maxrate=1152:acodec=mp2:abitrate=192:autoaspect=1:aspect=4/3"
    " -mpegopts format=xvcd -af volume=+0db:0:channels=2:lavcresample=44100 -srate 44100 -ofps 25.000000"
    " -vf scale=352:-3,harddup,expand=352:288 -endpos 9:0:0 %MODE% %HWND%";
inline constexpr const char* kSvcdNtsc =
    "\"%SRC%\" -o \"%OUT%\" -oac lavc -ovc lavc -of mpeg"
    " -lavcopts vcodec=mpeg2video:keyint=18:vrc_buf_size=917:vrc_minrate=600:vrc_maxrate=2500:vbitrate=2500:acodec=mp2:abitrate=224:autoaspect=1:aspect=4/3"
    " -mpegopts format=xsvcd -af volume=+0db:0:channels=2:lavcresample=44100 -srate 44100 -ofps 30000/1001"
    " -vf scale=480:480,harddup -endpos 9:0:0 %MODE% %HWND%";
inline constexpr const char* kSvcdPal =
    "\"%SRC%\" -o \"%OUT%\" -oac lavc -ovc lavc -of mpeg"
    " -lavcopts vcodec=mpeg2video:keyint=15:vrc_buf_size=917:vrc_minrate=600:vrc_maxrate=1650:vbitrate=800:acodec=mp2:abitrate=128:autoaspect=1:aspect=16/9"
    " -mpegopts format=xsvcd -af volume=+0db:0:channels=2:lavcresample=44100 -srate 44100 -ofps 25.000000"
    " -vf scale=480:-3,harddup,expand=480:576 -endpos 9:0:0 %MODE% %HWND%";
inline constexpr const char* kDvdNtscAc3 =
    "\"%SRC%\" -o \"%OUT%\" -oac lavc -ovc lavc -of mpeg"
    " -lavcopts vcodec=mpeg2video:keyint=18:vrc_buf_size=1835:vrc_maxrate=9400:vbitrate=5000:acodec=ac3:abitrate=224:autoaspect=1:aspect=16/9"
    " -mpegopts format=dvd -af volume=+0db:0:lavcresample=48000 -srate 48000 -ofps 30000/1001"
    " -vf scale=720:-3,harddup,expand=720:480 -endpos 9:0:0 %MODE% %HWND%";
inline constexpr const char* kDvdPalMp2 =
    "\"%SRC%\" -o \"%OUT%\" -oac lavc -ovc lavc -of mpeg"
    " -lavcopts vcodec=mpeg2video:keyint=15:vrc_buf_size=1835:vrc_maxrate=9400:vbitrate=800:acodec=mp2:abitrate=112:autoaspect=1:aspect=4/3"
    " -mpegopts format=dvd -af volume=+0db:0:lavcresample=48000 -srate 48000 -ofps 25.000000"
    " -vf scale=-3:576,harddup,expand=720:576 -endpos 9:0:0 %MODE% %HWND%";
inline constexpr const char* kWmv =
    "\"%SRC%\" -o \"%OUT%\" -oac lavc -ovc lavc -lavcopts vcodec=wmv2:acodec=wmav2:vqscale=21:abitrate=96:autoaspect=1"
    " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=wmv -sws 2"
    " -af volume=+0db:0:channels=2 -srate 44100 -ofps 1000.000000 -endpos 9:0:0 %MODE% %HWND%";
inline constexpr const char* kAsfMsmpeg4 =
    "\"%SRC%\" -o \"%OUT%\" -oac lavc -ovc lavc -lavcopts vcodec=msmpeg4:acodec=wmav1:vqscale=29:abitrate=64:autoaspect=1"
    " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=asf -sws 2"
    " -af volume=+0db:0:channels=2 -srate 44100 -ofps 1000.000000 -vf scale=160:120,harddup -endpos 9:0:0 %MODE% %HWND%";
inline constexpr const char* kAsfMsmpeg4v2 =
    "\"%SRC%\" -o \"%OUT%\" -oac lavc -ovc lavc -lavcopts vcodec=msmpeg4v2:acodec=wmav2:vqscale=9:abitrate=224:autoaspect=1"
    " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=asf -sws 2"
    " -af volume=+0db:0:channels=2 -srate 44100 -ofps 1000.000000 -endpos 9:0:0 %MODE% %HWND%";
inline constexpr const char* kMp4 =
    "\"%SRC%\" -o \"%OUT%\" -oac faac -ovc x264 -faacopts br=128:mpeg=4:object=2"
    " -x264encopts bitrate=800:vbv_maxrate=1600:vbv_bufsize=1600:profile=high -of lavf -lavfopts format=mp4 -sws 2"
    " -af volume=+0db:0:channels=2 -ofps 25.000000 -endpos 9:0:0 %MODE% %HWND%";

inline std::string Fill(std::string text, const std::string& source, const std::string& output, int mode,
                        long long window) {
  auto replace = [&](const std::string& key, const std::string& value) {
    const auto at = text.find(key);
    if (at != std::string::npos) text.replace(at, key.size(), value);
  };
  replace("%SRC%", source);
  replace("%OUT%", output);
  replace("%MODE%", std::to_string(mode));
  replace("%HWND%", std::to_string(window));
  return text;
}

}  // namespace velto::test
