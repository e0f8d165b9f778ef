#include "app/TransitionDialogs.h"

#include "app/CTransAccordionDlg.h"
#include "app/CTransAlphaDlg.h"
#include "app/CTransBlindsDlg.h"
#include "app/CTransCircleDlg.h"
#include "app/CTransClockDlg.h"
#include "app/CTransCubeFlyDlg.h"
#include "app/CTransDiagonalSweepDlg.h"
#include "app/CTransDoorDlg.h"
#include "app/CTransFlipDlg.h"
#include "app/CTransFlyDlg.h"
#include "app/CTransPolygonDlg.h"
#include "app/CTransRotateDlg.h"
#include "app/CTransShutterDlg.h"
#include "app/CTransSpinDlg.h"
#include "app/CTransSweepDlg.h"
#include "app/CTransTwistDlg.h"
#include "app/CTransWipeDlg.h"
#include "app/CTransZoomDlg.h"
#include "model/TransitionSetting.h"

namespace {
// Builds the kind's dialog on the object, runs it modally and ignores its result.
template <class Dialog> void RunDialog(TransitionSetting& setting) {
    if (auto* kind = dynamic_cast<typename Dialog::SettingType*>(&setting)) {
        Dialog dialog(kind);
        dialog.DoModal();
    }
}

template <class... Dialogs> void Register() {
    (TransitionSetting::SetEditHandler(Dialogs::SettingType::KIND, &RunDialog<Dialogs>), ...);
}
} // namespace

void RegisterTransitionDialogs() {
    Register<CTransAlphaDlg, CTransAccordionDlg, CTransBlindsDlg, CTransCircleDlg, CTransClockDlg,
             CTransCubeFlyDlg, CTransDiagonalSweepDlg, CTransDoorDlg, CTransFlipDlg, CTransFlyDlg,
             CTransPolygonDlg, CTransRotateDlg, CTransShutterDlg, CTransSpinDlg, CTransSweepDlg,
             CTransTwistDlg, CTransWipeDlg, CTransZoomDlg>();
}
