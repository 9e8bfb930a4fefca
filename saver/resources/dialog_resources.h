// Resource identifiers of the settings dialog (range 300-399).
#pragma once

#define IDI_DIALOG_ICON 301
#define IDB_MARK_UNMARKED 302
#define IDB_MARK_MARKED 303
#define IDC_LINK_HAND 304
