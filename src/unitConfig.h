// The configuration dialog.
#pragma once

#include "platform/toolkit.h"

class TfrmConfig : public tk::TForm {
public:
    TfrmConfig();
};

extern TfrmConfig* frmConfig;
