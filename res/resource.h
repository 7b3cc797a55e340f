// Resource ids: strings, dialogs, controls and icons, referred to by number.
#pragma once

#define IDS_APP_TITLE 101
#define IDS_CRASH_MESSAGE 111
#define IDS_INIT_FAILED 182
