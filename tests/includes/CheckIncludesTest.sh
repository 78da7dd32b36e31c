#!/usr/bin/env bash
# scripts/check-includes.sh over a small tree: it names every include of a
# part that is not below the includer (same rank included), every file
# outside the listed parts and every include of plugin/'s root, and lets
# downward includes, the exempt data headers, angle includes and tests pass.
# Then the source tree itself must pass.
set -euo pipefail
source_dir=$1
check=$source_dir/scripts/check-includes.sh
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT

put() {
  mkdir -p "$tree/$(dirname "$1")"
  printf '%s\n' "${@:2}" >"$tree/$1"
}
put plugin/workspace/Store.h '#pragma once' '#include <vector>' '#include "plugin/device/Link.h"' \
    '#include "plugin/cloud/CloudRecords.h"' '#include "families/FamilyData.h"'
put plugin/workspace/Store.cpp '#include "plugin/workspace/Store.h"' '#include "plugin/pages/Page.h"' \
    '#include "plugin/cloud/Lists.h"'
put plugin/pages/Page.h '#pragma once' '#include "plugin/workspace/Store.h"' '#include "plugin/windows/Main.h"'
put plugin/windows/Main.h '#pragma once' '  #  include "plugin/pages/Page.h"'
put plugin/device/Link.h '#pragma once' '#include "plugin/Old.h"' '#include "plugin/app/Events.h"' \
    '#include "plugin/cloud/CloudRecords.h"'
put plugin/app/Events.h '#pragma once' '#include "plugin/device/Link.h"'
put plugin/model/Model.h '#pragma once' '#include "families/FamilyData.h"'
put plugin/Old.h '#pragma once'
put plugin/gadgets/Gadget.h '#pragma once'
put plugin/dialogs/Box.h '#pragma once' '#include "plugin/upload/Upload.h"'
put plugin/upload/Upload.h '#pragma once' '#include "plugin/dialogs/Box.h"'
put controls/Knob.h '#pragma once' '#include "zip/Zip.h"' '#include "platform/ui/SWindow.h"'
put families/FamilyData.h '#pragma once' '#include "plugin/model/Model.h"'
put tests/AnyTest.cpp '#include "plugin/entry/MainApp.h"'

expected="controls/Knob.h:2: controls includes zip/Zip.h of zip, which is not below it
plugin/Old.h: belongs to no part: put it in a folder listed in scripts/check-includes.sh
plugin/app/Events.h:2: plugin/app includes plugin/device/Link.h of plugin/device, which is not below it
plugin/device/Link.h:2: includes plugin/Old.h, which belongs to no part
plugin/device/Link.h:4: plugin/device includes plugin/cloud/CloudRecords.h of plugin/cloud, which is not below it
plugin/dialogs/Box.h:2: plugin/dialogs includes plugin/upload/Upload.h of plugin/upload, which is not below it
plugin/gadgets/Gadget.h: belongs to no part: put it in a folder listed in scripts/check-includes.sh
plugin/windows/Main.h:2: plugin/windows includes plugin/pages/Page.h of plugin/pages, which is not below it
plugin/workspace/Store.cpp:2: plugin/workspace includes plugin/pages/Page.h of plugin/pages, which is not below it
plugin/workspace/Store.cpp:3: plugin/workspace includes plugin/cloud/Lists.h of plugin/cloud, which is not below it
check-includes: a part includes one that is not below it (order in scripts/check-includes.sh)"

status=0
actual=$(bash "$check" "$tree" 2>&1) || status=$?
if [ "$status" -eq 0 ]; then
  echo "the check passed a tree with bad includes"
  exit 1
fi
if [ "$actual" != "$expected" ]; then
  echo "the check reported otherwise than expected:"
  diff <(printf '%s\n' "$expected") <(printf '%s\n' "$actual") || true
  exit 1
fi

bash "$check" "$source_dir"
