// Command ids of the test frame's resources, shared by its resource script
// and the tests.
#pragma once

#define ID_VIEW_TOOLBAR 43
#define ID_VIEW_STATUSBAR 44
#define ID_FILE_NEW 100
#define ID_FILE_EXIT 101
#define ID_EDIT_UNDO 110
#define ID_EDIT_DEEPER 111
#define ID_HELP_ABOUT 150
#define ID_TOOL_FIRST 200
#define ID_TOOL_SECOND 201
// Tool-bar images of 24 pixels, the frame's own are 16.
#define ID_BITMAP_LARGE 300
// The frame's recent-files placeholder.
#define ID_FILE_MRU 0x7000
