// Resource identifiers of the button control (range 200-299): its six skin pictures.
#pragma once

#define IDB_SKIN_NORMAL 201
#define IDB_SKIN_HIGHLIGHT 202
#define IDB_SKIN_PRESSED 203
#define IDB_SKIN_SELECTED 204
#define IDB_SKIN_HIGHLIGHTSELECT 205
#define IDB_SKIN_DISABLE 206
