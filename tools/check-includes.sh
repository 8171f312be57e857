#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Holds the include rules of the source tree; exits 1 and names each line that
# breaks one.
#
#   - logic folders (common, engine, speech, capitals, records, tax, loan,
#     securities, shutdown, outside their ui/ folders) include no Qt widget,
#     GUI or printing header and no header of a window folder;
#   - the widget kit (uikit) includes no feature window and nothing of shell;
#   - nothing but shell/ and app/ includes a shell/ header;
#   - nothing but app/ includes an app/ header;
#   - only platform/ includes the operating system's own headers (unistd.h,
#     fcntl.h, sys/..., poll.h, pwd.h, grp.h, dirent.h, dlfcn.h, malloc.h, ...),
#     so the rest of the program stays portable.
#
# Tests and benchmarks may include anything.
#
#   tools/check-includes.sh [SOURCE_DIR]
set -uo pipefail
cd "${1:-$(dirname "$0")/..}"

logic='common engine speech capitals records tax loan securities shutdown'
window_headers='uikit/|shell/|app/|platform/(desktop|recording)/|[a-z]+/ui/'
qt_gui='Q(Widget|Application|GuiApplication|Label|PushButton|Dialog|MainWindow|LineEdit|TextEdit|CheckBox|RadioButton|ComboBox|Slider|ScrollBar|AbstractButton|AbstractSlider|Frame|GroupBox|TableView|HeaderView|MessageBox|FileDialog|Printer|PrintDialog|Painter|Pixmap|Image|Font|Color|Palette|Icon|Screen|Window|SystemTrayIcon|Clipboard|Audio[A-Za-z]*|MediaDevices)\b|Qt(Widgets|Gui|PrintSupport|Multimedia)/'

files() { # files of folder $1, without its ui/ subfolder
  [ -d "$1" ] || return 0
  find "$1" -path "$1/ui" -prune -o \( -name '*.cpp' -o -name '*.h' \) -print
}

bad=0
report() { printf '%s\n' "$1"; bad=1; }

for folder in $logic; do
  while IFS= read -r f; do
    while IFS= read -r hit; do
      report "$f:$hit: a logic folder includes a widget or window header"
    done < <(grep -nE "^[[:space:]]*#[[:space:]]*include[[:space:]]*[<\"]($qt_gui|($window_headers))" "$f" | cut -d: -f1)
  done < <(files "$folder")
done

while IFS= read -r f; do
  while IFS= read -r hit; do
    report "$f:$hit: the widget kit includes a window or the wiring"
  done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"(shell/|app/|[a-z]+/ui/)' "$f" | cut -d: -f1)
done < <(files uikit)

while IFS= read -r hit; do
  report "$hit: only shell/ and app/ include shell/ headers"
done < <(grep -rnE --include='*.cpp' --include='*.h' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"shell/' . |
         sed 's#^\./##' | grep -vE '^(shell|app|tests|bench|build[^/]*)/' | cut -d: -f1,2)

while IFS= read -r hit; do
  report "$hit: only app/ includes app/ headers"
done < <(grep -rnE --include='*.cpp' --include='*.h' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"app/' . |
         sed 's#^\./##' | grep -vE '^(app|tests|bench|build[^/]*)/' | cut -d: -f1,2)

system_headers='(unistd|fcntl|poll|pwd|grp|dirent|signal|dlfcn|malloc|spawn|termios|sys/[a-z_]+)\.h'
while IFS= read -r hit; do
  report "$hit: only platform/ includes the operating system's headers"
done < <(grep -rnE --include='*.cpp' --include='*.h' "^[[:space:]]*#[[:space:]]*include[[:space:]]*<$system_headers>" . |
         sed 's#^\./##' | grep -vE '^(platform|tests|bench|build[^/]*)/' | cut -d: -f1,2)

if [ "$bad" = 0 ]; then
  echo "include rules hold"
fi
exit "$bad"
