// Resource ids: strings, dialogs, controls and icons, referred to by number.
// Shared by the resource script and the C++ code; keep it to plain #defines.
#pragma once

// ---- Strings ---------------------------------------------------------------
#define IDS_APP_TITLE              101  // product name, every message-box caption
#define IDS_TRAY_TIP               110
#define IDS_CRASH_MESSAGE          111  // %s: dump path
#define IDS_CONNECT                118  // "&Connect" on a VM row
#define IDS_FAVORITES              123
#define IDS_ADD_SERVER_LINK        124
#define IDS_MENU_EXIT              125
#define IDS_CONFIRM_EXIT           126
#define IDS_SERVER_FOUND           144  // %s: host
#define IDS_CONNECT_FAILED         147
#define IDS_LOGIN_FAILED           148
#define IDS_CONNECTING             149
#define IDS_AUTHENTICATING         150
#define IDS_SEARCHING_INVENTORY    153
#define IDS_OPENING_VM             154
#define IDS_OPEN_VM_FAILED         155
#define IDS_SHOW_ALL               156  // %u: VM count
#define IDS_SHOW_RANGE             157  // %s, %s: name prefixes; %u: VM count
#define IDS_LOGIN                  158
#define IDS_NOT_LOGGED_IN          159
#define IDS_ENTER_CREDENTIALS      160  // %s: server name
#define IDS_LOGGING_IN             161
#define IDS_CONFIRM_REMOVE_SERVER  177  // %s: server name
#define IDS_CONSOLE_NOT_FOUND      178
#define IDS_NOT_CONNECTED          179
#define IDS_INIT_FAILED            182
#define IDS_MENU_SHOW              185
#define IDS_MENU_PREFERENCES       195
#define IDS_NO_UPDATES             196
#define IDS_LAST_CHECK             197  // %s: time of the last check, or IDS_NEVER
#define IDS_NEVER                  198
#define IDS_ABOUT                  199
#define IDS_UPDATE_CHECK_FAILED    202
#define IDS_RETRY                  204
#define IDS_REMEMBER_TOOLTIP       207
#define IDS_OLD_CONSOLE_HINT       209
#define IDS_POWER_ON               213
#define IDS_POWER_OFF              214
#define IDS_SUSPEND                215
#define IDS_RESET                  216
#define IDS_BAD_CREDENTIALS        217
#define IDS_COLLAPSE               218
#define IDS_EXPAND                 219
#define IDS_REMOVE                 220
#define IDS_REFRESH                221
#define IDS_CONFIRM_POWER_OFF      222
#define IDS_CONFIRM_SUSPEND        223
#define IDS_CONFIRM_RESET          224
#define IDS_RECENTLY_USED          226
#define IDS_SEARCH_HINT            231
#define IDS_NO_MATCH               233
#define IDS_LOGIN_UNLICENSED       234
#define IDS_LOGIN_BAD_CREDENTIALS  235
#define IDS_SERVER_ALREADY_ADDED   236  // %s: host
// A favorite's power state at a glance, and the tray notice when it changes.
#define IDS_MARK_ON                300
#define IDS_MARK_OFF               301
#define IDS_MARK_SUSPENDED         302
#define IDS_MARK_CHANGING          303
#define IDS_NOTICE_TITLE_ONE       304  // %s: VM, %s: state words
#define IDS_NOTICE_TEXT_ONE        305  // %s: server
#define IDS_NOTICE_TITLE_MANY      306  // %d: how many
#define IDS_NOTICE_LINE            307  // %s: VM, %s: server, %s: state words

// ---- Dialogs ---------------------------------------------------------------
#define IDD_PREFERENCES            106
#define IDD_ADD_SERVER             131
#define IDD_UPDATE_AVAILABLE       200
#define IDD_HINT                   210

// ---- Controls of the Add Server dialog (131) -------------------------------
#define IDC_SERVER_EDIT            132
#define IDC_PORT_EDIT              133
#define IDC_USERNAME_EDIT          134
#define IDC_PASSWORD_EDIT          135
#define IDC_CONNECT_STATUS         136
#define IDC_SSL_CHECK              137
#define IDC_USERNAME_LABEL         138
#define IDC_PASSWORD_LABEL         139
#define IDC_ADD_SERVER_GROUP       140
#define IDC_REMEMBER_CHECK         141
#define IDC_LOGIN_MESSAGE          142
#define IDC_CONNECT                145
#define IDC_LOGIN                  146  // also the Login button of headers and VM rows
#define IDC_WHATS_THIS             206

// ---- Controls of the Preferences dialog (106) ------------------------------
#define IDC_GENERAL_GROUP          186
#define IDC_RUN_ON_STARTUP         187
#define IDC_UPDATES_GROUP          188
#define IDC_CHECK_UPDATES          189
#define IDC_UPDATE_INTERVAL        190
#define IDC_UPDATE_INTERVAL_UNIT   191
#define IDC_LAST_CHECK             192
#define IDC_CHECK_NOW              193
#define IDC_ABOUT                  194
#define IDC_ADMIN_NOTE             203
#define IDC_MRU_LABEL              227
#define IDC_MRU_DAYS               228
#define IDC_MRU_DAYS_UNIT          229
#define IDC_POPUP_GROUP            250
#define IDC_SHOW_STATE_MARKS       251
#define IDC_NOTIFY_STATE_CHANGES   252
#define IDC_HOTKEY_LABEL           253
#define IDC_HOTKEY                 254  // msctls_hotkey32
#define IDC_HOTKEY_NOTE            255  // shown while the chosen hotkey is refused

// ---- Controls of the Update Available dialog (200) -------------------------
#define IDC_DOWNLOAD               201
#define IDC_DONT_CHECK_UPDATES     208

// ---- Controls of the hint dialog (210) -------------------------------------
#define IDC_HINT_TEXT              211
#define IDC_DONT_SHOW_AGAIN        212

// ---- Child controls of the popup's rows (created in code) ------------------
#define IDC_STAR                   168
#define IDC_COLLAPSE               169
#define IDC_POWER_ON               170
#define IDC_POWER_OFF              171
#define IDC_SUSPEND                172
#define IDC_RESET                  173
#define IDC_VM_CONNECT             174
#define IDC_REMOVE                 175
#define IDC_REFRESH                176
#define IDC_LINK                   180
#define IDC_POWER_HELD             181  // every held (push-like radio) power control
#define IDC_RETRY                  205

// ---- Tray menu commands ----------------------------------------------------
#define IDM_EXIT                   166
#define IDM_SHOW                   183
#define IDM_PREFERENCES            184

// ---- Icons (16 x 16; the application icon also 32 x 32) --------------------
#define IDI_APP                    107
#define IDI_COLLAPSED_HOVER        112  // section collapsed: chevron pointing down
#define IDI_COLLAPSED              113
#define IDI_EXPANDED_HOVER         114  // section expanded: chevron pointing up
#define IDI_EXPANDED               115
#define IDI_STAR_ON                116  // favorite
#define IDI_STAR_OFF               117  // not a favorite
#define IDI_POWER_ON               127
#define IDI_POWER_OFF              128
#define IDI_RESET                  129
#define IDI_SUSPEND                130
#define IDI_REFRESH_HOVER          162
#define IDI_REFRESH                163
#define IDI_REMOVE_HOVER           164
#define IDI_REMOVE                 165
#define IDI_SEARCH                 232

#ifndef IDC_STATIC
#define IDC_STATIC                 (-1)
#endif
