#pragma once

// Resource and command ids of the program, with the framework's standard ones.
#include "framework/AfxRes.h"

#define IDD_ABOUTBOX 100
#define IDR_MAINFRAME 128
#define IDR_VeilcutTYPE 129
#define IDC_CLOSED_HAND 132
#define IDC_OPEN_HAND 133
#define IDR_TOOLBAR 139
#define IDB_OPEN 142
#define IDB_SAVE_AS 143
#define IDB_ROTATE_RIGHT 144
#define IDB_ROTATE_LEFT 146
#define IDI_EMPTY 147

#define ID_ROTATE_LEFT 32772
#define ID_ROTATE_RIGHT 32773
#define ID_TOOLBAR_BUTTON_32774 32774
#define ID_EDIT_ADD_ELLIPSE 32775
#define ID_EDIT_DELETE_ELLIPSE 32776
#define ID_EDIT_COVER_FACES 32777
