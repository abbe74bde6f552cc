#pragma once
// Command numbers of the menus and the toolbar.

enum CommandId : int {
    ID_APP_EXIT = 57665,
    ID_APP_ABOUT = 57664,

    ID_SIGN_IN = 32772,
    ID_SIGN_OUT = 32773,
    ID_LOCAL_RECORD = 32775,
    ID_VISIT_HOME = 32776,
    ID_LIVECAST = 32777,
    ID_FILECAST = 32778,
    ID_FILE_UPLOAD = 32779,
    ID_FILE_DRM = 32780,
    ID_REGISTER = 32784,
    ID_SET_LOGO = 32788,
    ID_MULTICAST = 32790,
    ID_HOME_LIVE = 32815,
    ID_SCHEDULED_RECORD = 32820,

    ID_SKIN_VISTA = 32792,
    ID_SKIN_OFFICE2007 = 32795,
    ID_SKIN_ROYALE = 32796,
    ID_SKIN_LUNA = 32797,
    ID_SKIN_ITUNES = 32818,
    ID_TINT_MEETING = 32799,
    ID_TINT_WEDDING = 32800,
    ID_TINT_EDUCATION = 32801,
    ID_TINT_CUSTOM = 32802,
    ID_TINT_RESTORE = 32803,
    ID_ASK_CLOSE = 32821,
};

// Menu resources: the signed-out menu and the signed-in menu bar.
enum MenuResource : int { IDR_MENU_SIGNED_OUT = 132, IDR_MENU_SIGNED_IN = 138 };
