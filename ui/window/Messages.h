// Private window messages shared by the program's windows (all WM_APP + n).
#pragma once
#include <windows.h>

enum : UINT {
  WM_TRAYICON = WM_APP + 0x0,          // shell -> popup: tray icon callback
  WM_SHOWPOPUP = WM_APP + 0x1,         // second instance -> popup
  WM_CONNECT_DONE = WM_APP + 0x2,      // probe worker -> Add Server dialog
  WM_FAVORITE_CHANGED = WM_APP + 0x4,  // VM row -> viewer (VM, 1 added / 0 removed)
  WM_QUITAPP = WM_APP + 0x5,           // "/kill" instance -> popup
  WM_RELAYOUT = WM_APP + 0x6,          // header -> viewer
  WM_REMOVE_SERVER = WM_APP + 0x7,     // header -> viewer (the header)
  WM_HIDE_POPUP = WM_APP + 0x8,        // row, viewer, search box -> popup
  WM_ITEM_FOCUSED = WM_APP + 0xA,      // row or header -> viewer (tag, row)
  WM_ITEM_UNFOCUSED = WM_APP + 0xB,    // row or header -> viewer (tag, row)
  WM_NAVIGATE_KEY = WM_APP + 0xC,      // -> viewer (virtual key, key lParam)
  WM_RUN_ON_UI_THREAD = WM_APP + 0xD,  // any thread -> window (heap sigc::slot<void>*)
  WM_LINK_CLICKED = WM_APP + 0xE,      // link row -> parent (LinkItem, its window)
  WM_RECENT_ADDED = WM_APP + 0xF,      // VM row -> viewer (VM)
  WM_SEARCH_CHANGED = WM_APP + 0x10,   // search box -> popup (its window)
  WM_SEARCH_DONE = WM_APP + 0x11,      // search box -> popup (its window)
};

// A control's notification sent back to the control itself (see WindowImpl::ReflectNotifications).
constexpr UINT OCM_BASE = 0x2000;
