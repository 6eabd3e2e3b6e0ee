#include "src/unitConfig.h"

TfrmConfig* frmConfig = nullptr;

TfrmConfig::TfrmConfig()
    : tk::TForm("form frmConfig caption=frmConfig clientWidth=578 clientHeight=260 borderStyle=single "
                "borderIcons=systemMenu") {}
