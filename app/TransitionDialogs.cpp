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
template <class Dialog, class Setting> void RunDialog(TransitionSetting& setting) {
    if (auto* kind = dynamic_cast<Setting*>(&setting)) {
        Dialog dialog(kind);
        dialog.DoModal();
    }
}
} // namespace

void RegisterTransitionDialogs() {
    TransitionSetting::SetEditHandler(TransitionAlphaSetting::KIND,
                                      &RunDialog<CTransAlphaDlg, TransitionAlphaSetting>);
    TransitionSetting::SetEditHandler(TransitionAccordionSetting::KIND,
                                      &RunDialog<CTransAccordionDlg, TransitionAccordionSetting>);
    TransitionSetting::SetEditHandler(TransitionBlindSetting::KIND,
                                      &RunDialog<CTransBlindsDlg, TransitionBlindSetting>);
    TransitionSetting::SetEditHandler(TransitionCircleSetting::KIND,
                                      &RunDialog<CTransCircleDlg, TransitionCircleSetting>);
    TransitionSetting::SetEditHandler(TransitionClockSetting::KIND,
                                      &RunDialog<CTransClockDlg, TransitionClockSetting>);
    TransitionSetting::SetEditHandler(TransitionCubeFlySetting::KIND,
                                      &RunDialog<CTransCubeFlyDlg, TransitionCubeFlySetting>);
    TransitionSetting::SetEditHandler(TransitionDiagonalSweepSetting::KIND,
                                      &RunDialog<CTransDiagonalSweepDlg, TransitionDiagonalSweepSetting>);
    TransitionSetting::SetEditHandler(TransitionDoorSetting::KIND,
                                      &RunDialog<CTransDoorDlg, TransitionDoorSetting>);
    TransitionSetting::SetEditHandler(TransitionFlipSetting::KIND,
                                      &RunDialog<CTransFlipDlg, TransitionFlipSetting>);
    TransitionSetting::SetEditHandler(TransitionFlySetting::KIND,
                                      &RunDialog<CTransFlyDlg, TransitionFlySetting>);
    TransitionSetting::SetEditHandler(TransitionPolygonSetting::KIND,
                                      &RunDialog<CTransPolygonDlg, TransitionPolygonSetting>);
    TransitionSetting::SetEditHandler(TransitionRotateInSetting::KIND,
                                      &RunDialog<CTransRotateDlg, TransitionRotateInSetting>);
    TransitionSetting::SetEditHandler(TransitionShutterSetting::KIND,
                                      &RunDialog<CTransShutterDlg, TransitionShutterSetting>);
    TransitionSetting::SetEditHandler(TransitionSpinSetting::KIND,
                                      &RunDialog<CTransSpinDlg, TransitionSpinSetting>);
    TransitionSetting::SetEditHandler(TransitionSweepSetting::KIND,
                                      &RunDialog<CTransSweepDlg, TransitionSweepSetting>);
    TransitionSetting::SetEditHandler(TransitionTwistSetting::KIND,
                                      &RunDialog<CTransTwistDlg, TransitionTwistSetting>);
    TransitionSetting::SetEditHandler(TransitionWipeSetting::KIND,
                                      &RunDialog<CTransWipeDlg, TransitionWipeSetting>);
    TransitionSetting::SetEditHandler(TransitionZoomSetting::KIND,
                                      &RunDialog<CTransZoomDlg, TransitionZoomSetting>);
}
