// Names and numbers of the console's windows, shared with the resource script and with
// tests that read the window from another process.
#pragma once

#define LUMACON_WINDOW_CLASS L"Zandor Lumacon Console Window"
#define LUMACON_DEFAULT_TITLE L"Zandor Lumacon"
#define LUMACON_LOGIN_CAPTION L"Zandor Lumacon Login"

// Main window children.
#define IDC_LUMACON_SERVER 1001  // "Server: host   VM id: moid"
#define IDC_LUMACON_STATUS 1002  // progress, "Power state: ...", or the error

// Login dialog.
#define IDD_LUMACON_LOGIN 200
#define IDC_LOGIN_PROMPT 201
#define IDC_LOGIN_USER 202
#define IDC_LOGIN_PASSWORD 203
