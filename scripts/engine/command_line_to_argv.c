/* The one function ffmpeg.exe and ffprobe.exe take from shell32.dll,
 * CommandLineToArgvW (for their arguments in UTF-16), made here instead:
 * loading shell32.dll loads user32.dll and gdi32.dll with it, which makes
 * every start of the engine slower, most of all under Wine.
 *
 * The rules are the function's documented ones. The program's name ends at
 * its closing quote when it begins with one, else at the first blank. After
 * it, blanks (space, tab) outside quotes separate arguments; 2n backslashes
 * and a quote give n backslashes and open or close a quoted part, 2n+1 give
 * n backslashes and a quote; other backslashes stay as they are. Inside a
 * quoted part, two quotes give one and end the quoted part. An empty line
 * gives the program's own path. The array and its strings are one block
 * from LocalAlloc, freed with LocalFree. */
#include <windows.h>

static int IsBlank(WCHAR c) { return c == L' ' || c == L'\t'; }

static LPWSTR *WINAPI ArgvFromCommandLine(LPCWSTR line, int *count) {
  WCHAR self[MAX_PATH];
  if (!count) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return NULL;
  }
  if (!line || !*line) {
    DWORD n = GetModuleFileNameW(NULL, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return NULL;
    line = self;
  }
  /* Each argument is no longer than the line, and there are at most
   * (length + 1) of them: one block holds the pointers and the text. */
  size_t length = lstrlenW(line);
  size_t slots = length + 2;
  LPWSTR *argv = (LPWSTR *)LocalAlloc(LMEM_FIXED, slots * sizeof(LPWSTR) + (length + slots) * sizeof(WCHAR));
  if (!argv) return NULL;
  WCHAR *out = (WCHAR *)(argv + slots);
  int argc = 0;
  const WCHAR *s = line;

  /* The program's name. */
  argv[argc++] = out;
  if (*s == L'"') {
    for (++s; *s && *s != L'"'; ++s) *out++ = *s;
    if (*s == L'"') ++s;
  } else {
    for (; *s && !IsBlank(*s); ++s) *out++ = *s;
  }
  *out++ = 0;

  for (;;) {
    while (IsBlank(*s)) ++s;
    if (!*s) break;
    argv[argc++] = out;
    int quoted = 0;
    while (*s && (quoted || !IsBlank(*s))) {
      if (*s == L'\\') {
        size_t backslashes = 0;
        while (*s == L'\\') ++backslashes, ++s;
        if (*s == L'"') {
          for (size_t i = 0; i < backslashes / 2; ++i) *out++ = L'\\';
          if (backslashes % 2) {
            *out++ = L'"';
            ++s;
          }
        } else {
          for (size_t i = 0; i < backslashes; ++i) *out++ = L'\\';
        }
      } else if (*s == L'"') {
        ++s;
        if (quoted && *s == L'"') {
          *out++ = L'"'; /* "" inside quotes: a quote, and the quotes end */
          ++s;
          quoted = 0;
        } else {
          quoted = !quoted;
        }
      } else {
        *out++ = *s++;
      }
    }
    *out++ = 0;
  }
  argv[argc] = NULL;
  *count = argc;
  return argv;
}

LPWSTR *(WINAPI *__imp_CommandLineToArgvW)(LPCWSTR, int *) = ArgvFromCommandLine;
