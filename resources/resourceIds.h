// Resource ids and names, shared by kestrane.rc and the program.
#pragma once

// String table: the name under which the desktop lists the saver.
#define IDS_DISPLAY_NAME 1

// Program icon group.
#define IDI_PROGRAM 1

// Application manifest (CREATEPROCESS_MANIFEST_RESOURCE_ID of type RT_MANIFEST).
#define IDR_MANIFEST 1
#define RT_MANIFEST_TYPE 24

// Named resources: the logo bitmap and the stored form layouts (RCDATA).
// The resource compiler takes names as bare words (a quoted name would run
// together with the file name before it); the program looks them up as strings.
#ifdef RC_INVOKED
#define RES_LOGO LOGO
#define RES_FRMSAVER FRMSAVER
#define RES_FRMCONFIG FRMCONFIG
#else
#define RES_LOGO "LOGO"
#define RES_FRMSAVER "FRMSAVER"
#define RES_FRMCONFIG "FRMCONFIG"
#endif
