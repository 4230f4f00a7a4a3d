// 文件 → 历史版本…: the earlier versions of the note kept in the program
// file, newest first, each with the local date and time it was saved and
// its size in characters, and a read-only preview of the one selected.
// The versions come opened (see own_versions.h); the preview is emptied
// when the dialog closes.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "ui/own_versions.h"

// One line of the list: "<date> <time>  <n> 个字符", in the user's own date
// and time format, or what says the version cannot be read.
std::string VersionLine(const ShownVersion& version);

// Shows the versions over owner; the index of the one chosen with 恢复, or
// nothing when the dialog was closed.
std::optional<std::size_t> ChooseKeptVersion(HWND owner, const std::vector<ShownVersion>& versions);
