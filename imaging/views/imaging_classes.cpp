#include "imaging/views/imaging_classes.h"

#include "imaging/buffer/ruzozadproc_component.h"
#include "imaging/buffer/zezivori.h"
#include "imaging/formats/ruzozadio.h"
#include "imaging/formats/ruzozadmio.h"
#include "imaging/views/ieview.h"
#include "imaging/views/iopreviews.h"
#include "imaging/views/ruzozad.h"
#include "imaging/views/ruzozadview.h"
#include "imaging/views/ruzozadmview.h"
#include "platform/ExtCtrls.h"
#include "platform/TypInfo.h"

void RegisterImagingClasses() {
  // A second call would enter every property twice.
  static bool done = false;
  if (done) return;
  done = true;

  // The I/O component's parameters dialog.
  RegisterIOPreviewsClasses();
  IEPreviewsDialogRunner = &RunIOPreviewsDialog;

  RegisterEnum<TMsgLanguage>("TMsgLanguage",
                             {"msSystem", "msEnglish", "msItalian", "msGerman", "msSpanish", "msFrench",
                              "msPortuguese", "msGreek", "msRussian", "msDutch", "msSwedish", "msPolish",
                              "msUser"});
  RegisterEnum<TPRPreviewsParamsItems>("TPRPreviewsParamsItems", {"prppDefaultLockPreview"});

  RegisterClassInfo<TIEView, TCustomControl>("TIEView")
      .Color("Background", &TIEView::Background, &TIEView::SetBackground, clBtnFace)
      .Bool("Ctl3D", &TIEView::Ctl3D, &TIEView::SetCtl3D, true)
      .Bool("ParentCtl3D", &TIEView::ParentCtl3D, &TIEView::SetParentCtl3D, true)
      .Enum("BorderStyle", &TIEView::BorderStyle, &TIEView::SetBorderStyle, bsSingle)
      .Event("OnMouseEnter", &TIEView::OnMouseEnter)
      .Event("OnMouseLeave", &TIEView::OnMouseLeave);

  RegisterClassInfo<TRuzozAdProc, TComponent>("TRuzozAdProc")
      .Bool("AutoUndo", &TRuzozAdProc::AutoUndo, &TRuzozAdProc::SetAutoUndo, true)
      .Ref("AttachedRuzozAd", &TRuzozAdProc::AttachedRuzozAd, &TRuzozAdProc::SetAttachedRuzozAd)
      .Color("Background", &TRuzozAdProc::Background, &TRuzozAdProc::SetBackground)
      .Enum("MsgLanguage", &TRuzozAdProc::MsgLanguage, &TRuzozAdProc::SetMsgLanguage, msSystem)
      .Set<TPRPreviewsParamsItems>("PreviewsParams", &TRuzozAdProc::PreviewsParams,
                                   &TRuzozAdProc::SetPreviewsParams, TPRPreviewsParams())
      .Object("PreviewFont", &TRuzozAdProc::PreviewFont, &TRuzozAdProc::SetPreviewFont)
      .Event("OnPreview", &TRuzozAdProc::OnPreview)
      .Ref("AttachedTImage", &TRuzozAdProc::AttachedTImage, &TRuzozAdProc::SetAttachedTImage)
      .Int("UndoLimit", &TRuzozAdProc::UndoLimit, &TRuzozAdProc::SetUndoLimit, 1)
      .Event("OnProgress", &TRuzozAdProc::OnProgress);

  RegisterEnum<TIEStoreType>("TIEStoreType", {"ietNormal", "ietThumb"});
  RegisterEnum<TIEMMouseInteractItems>("TIEMMouseInteractItems", {"mmiScroll", "mmiSelect"});
  RegisterEnum<TIEMKeyInteractItems>("TIEMKeyInteractItems", {"mkiMoveSelected"});
  RegisterEnum<TIEMultiSelectionOptionsItems>("TIEMultiSelectionOptionsItems", {"iemoRegion"});
  RegisterEnum<TIEMDisplayMode>("TIEMDisplayMode", {"mdGrid", "mdSingle"});
  RegisterEnum<TIEMStyle>("TIEMStyle", {"iemsFlat", "iemsACD"});
  RegisterEnum<TIESStyle>("TIESStyle", {"iessAround", "iessACD"});
  RegisterEnum<TIEWallPaperStyle>("TIEWallPaperStyle", {"iewoNormal", "iewoStretch", "iewoTile"});
  RegisterEnum<TIETransitionType>("TIETransitionType", {"iettNone", "iettCrossDissolve", "iettFadeOut", "iettFadeIn",
      "iettFadeOutIn", "iettLeftRight1", "iettLeftRight2", "iettRightLeft1", "iettRightLeft2", "iettUpDown1",
      "iettUpDown2", "iettDownUp1", "iettDownUp2", "iettFromUpLeft", "iettFromUpRight", "iettFromBottomLeft",
      "iettFromBottomRight", "iettMoveLeftRight1", "iettMoveLeftRight2", "iettMoveRightLeft1", "iettMoveRightLeft2",
      "iettMoveUpDown1", "iettMoveUpDown2", "iettMoveDownUp1", "iettMoveDownUp2", "iettRandomPoints",
      "iettRandomBoxes", "iettCenter1", "iettCenter2", "iettCenterZoom1", "iettCenterZoom2"});
  using MV = TRuzozAdMView;
  RegisterClassInfo<MV, TIEView>("TRuzozAdMView")
      .Enum("ScrollBars", &MV::ScrollBars, &MV::SetScrollBars, ssBoth)
      .Enum("StoreType", &MV::StoreType, &MV::SetStoreType, ietNormal)
      .Int("ThumbWidth", &MV::ThumbWidth, &MV::SetThumbWidth, 100)
      .Int("ThumbHeight", &MV::ThumbHeight, &MV::SetThumbHeight, 100)
      .Int("HorizBorder", &MV::HorizBorder, &MV::SetHorizBorder, 4)
      .Int("VertBorder", &MV::VertBorder, &MV::SetVertBorder, 4)
      .Int("BottomGap", &MV::BottomGap, &MV::SetBottomGap, 0)
      .Int("UpperGap", &MV::UpperGap, &MV::SetUpperGap, 0)
      .Bool("VisibleSelection", &MV::VisibleSelection, &MV::SetVisibleSelection, true)
      .Set<TIEMMouseInteractItems>("MouseInteract", &MV::MouseInteract, &MV::SetMouseInteract,
                                   TIEMMouseInteract{mmiSelect})
      .Set<TIEMKeyInteractItems>("KeyInteract", &MV::KeyInteract, &MV::SetKeyInteract,
                                 TIEMKeyInteract{mkiMoveSelected})
      .Enum("DisplayMode", &MV::DisplayMode, &MV::SetDisplayMode, mdGrid)
      .Int("GridWidth", &MV::GridWidth, &MV::SetGridWidth, 0)
      .Int("SelectionWidth", &MV::SelectionWidth, &MV::SetSelectionWidth, 3)
      .Color("SelectionColor", &MV::SelectionColor, &MV::SetSelectionColor, 255)
      .Bool("RemoveCorrupted", &MV::RemoveCorrupted, &MV::SetRemoveCorrupted, false)
      .Bool("DrawImageBackground", &MV::DrawImageBackground, &MV::SetDrawImageBackground, false)
      .Int("ImageCacheSize", &MV::ImageCacheSize, &MV::SetImageCacheSize, 10)
      .Enum("Style", &MV::Style, &MV::SetStyle, iemsACD)
      .Enum("SelectionStyle", &MV::SelectionStyle, &MV::SetSelectionStyle, iessAround)
      .Color("ThumbnailsBackground", &MV::ThumbnailsBackground, &MV::SetThumbnailsBackground, clBtnFace)
      .Bool("EnableMultiSelect", &MV::EnableMultiSelect, &MV::SetEnableMultiSelect, false)
      .Set<TIEMultiSelectionOptionsItems>("MultiSelectionOptions", &MV::MultiSelectionOptions,
                                          &MV::SetMultiSelectionOptions, TIEMultiSelectionOptions())
      .Int("ThumbnailsBorderWidth", &MV::ThumbnailsBorderWidth, &MV::SetThumbnailsBorderWidth, 0)
      .Color("ThumbnailsBorderColor", &MV::ThumbnailsBorderColor, &MV::SetThumbnailsBorderColor, clBtnFace)
      .Object("WallPaper", &MV::WallPaper, &MV::SetWallPaper)
      .Enum("WallPaperStyle", &MV::WallPaperStyle, &MV::SetWallPaperStyle, iewoNormal)
      .Int("ThreadPoolSize", &MV::ThreadPoolSize, &MV::SetThreadPoolSize, 5)
      .Enum("TransitionEffect", &MV::TransitionEffect, &MV::SetTransitionEffect, iettNone)
      .Int("TransitionDuration", &MV::TransitionDuration, &MV::SetTransitionDuration, 1000)
      .Event("OnProgress", &MV::OnProgress)
      .Event("OnViewChange", &MV::OnViewChange)
      .Event("OnImageSelect", &MV::OnImageSelect)
      .Event("OnImageDraw", &MV::OnImageDraw)
      .Event("OnBeforeImageDraw", &MV::OnBeforeImageDraw)
      .Event("OnDrawProgress", &MV::OnDrawProgress)
      .Event("OnImageIDRequest", &MV::OnImageIDRequest)
      .Event("OnWrongImage", &MV::OnWrongImage)
      .Event("OnIOProgress", &MV::OnIOProgress);

  RegisterEnum<TIOPreviewsParamsItems>("TIOPreviewsParamsItems", {"ioppDefaultLockPreview", "ioppApplyButton"});
  RegisterEnum<TIEDialogsMeasureUnit>("TIEDialogsMeasureUnit",
                                      {"ieduInches", "ieduCm", "ieduSelectableDefInches", "ieduSelectableDefCm"});
  using IO = TRuzozAdIO;
  RegisterClassInfo<IO, TComponent>("TRuzozAdIO")
      .Ref("AttachedRuzozAd", &IO::AttachedRuzozAd, &IO::SetAttachedRuzozAd)
      .Ref("AttachedTImage", &IO::AttachedTImage, &IO::SetAttachedTImage)
      .Color("Background", &IO::Background, &IO::SetBackground)
      .Enum("MsgLanguage", [](IO* c) { return c->MsgLanguage; }, [](IO* c, TMsgLanguage v) { c->MsgLanguage = v; },
            msSystem)
      .Set<TIOPreviewsParamsItems>("PreviewsParams", [](IO* c) { return c->PreviewsParams; },
                                   [](IO* c, TIOPreviewsParams v) { c->PreviewsParams = v; }, TIOPreviewsParams(0))
      .Bool("SimplifiedParamsDialogs", [](IO* c) { return c->SimplifiedParamsDialogs; },
            [](IO* c, bool v) { c->SimplifiedParamsDialogs = v; }, true)
      .Bool("StreamHeaders", [](IO* c) { return c->StreamHeaders; }, [](IO* c, bool v) { c->StreamHeaders = v; },
            false)
      .Object("PreviewFont", &IO::PreviewFont, &IO::SetPreviewFont)
      .Enum("DialogsMeasureUnit", [](IO* c) { return c->DialogsMeasureUnit; },
            [](IO* c, TIEDialogsMeasureUnit v) { c->DialogsMeasureUnit = v; }, ieduInches)
      .Bool("AutoAdjustDPI", [](IO* c) { return c->AutoAdjustDPI; }, [](IO* c, bool v) { c->AutoAdjustDPI = v; },
            false)
      .Bool("FilteredAdjustDPI", [](IO* c) { return c->FilteredAdjustDPI; },
            [](IO* c, bool v) { c->FilteredAdjustDPI = v; }, false)
      .Event("OnDoPreviews", &IO::OnDoPreviews)
      .Event("OnIOPreview", &IO::OnIOPreview)
      .Event("OnProgress", &IO::OnProgress)
      .Event("OnFinishWork", &IO::OnFinishWork)
      .Event("OnAcquireBitmap", &IO::OnAcquireBitmap);

  using MIO = TRuzozAdMIO;
  RegisterClassInfo<MIO, TComponent>("TRuzozAdMIO")
      .Ref("AttachedMView", &MIO::AttachedMView, &MIO::SetAttachedMView)
      .Event("OnProgress", &MIO::OnProgress)
      .Event("OnAcquireBitmap", &MIO::OnAcquireBitmap)
      .Enum("MsgLanguage", [](MIO* c) { return c->MsgLanguage; }, [](MIO* c, TMsgLanguage v) { c->MsgLanguage = v; },
            msSystem)
      .Set<TIOPreviewsParamsItems>("PreviewsParams", [](MIO* c) { return c->PreviewsParams; },
                                   [](MIO* c, TIOPreviewsParams v) { c->PreviewsParams = v; }, TIOPreviewsParams(0))
      .Object("PreviewFont", &MIO::PreviewFont, &MIO::SetPreviewFont)
      .Bool("AutoAdjustDPI", [](MIO* c) { return c->AutoAdjustDPI; }, [](MIO* c, bool v) { c->AutoAdjustDPI = v; },
            false)
      .Bool("FilteredAdjustDPI", [](MIO* c) { return c->FilteredAdjustDPI; },
            [](MIO* c, bool v) { c->FilteredAdjustDPI = v; }, false)
      .Bool("SimplifiedParamsDialogs", [](MIO* c) { return c->SimplifiedParamsDialogs; },
            [](MIO* c, bool v) { c->SimplifiedParamsDialogs = v; }, true);

  RegisterEnum<TResampleFilter>("TResampleFilter",
                                {"rfNone", "rfTriangle", "rfHermite", "rfBell", "rfBSpline", "rfLanczos3", "rfMitchell",
                                 "rfNearest", "rfLinear", "rfFastLinear", "rfBilinear", "rfBicubic"});
  RegisterEnum<TIEBackgroundStyle>("TIEBackgroundStyle",
                                   {"iebsSolid", "iebsHorizontal", "iebsVertical", "iebsFDiagonal", "iebsBDiagonal",
                                    "iebsCross", "iebsDiagCross", "iebsChessboard", "iebsDiagonals", "iebsCropped",
                                    "iebsCropShadow"});
  RegisterEnum<TIEMouseInteractItems>("TIEMouseInteractItems",
                                      {"miZoom", "miScroll", "miSelect", "miSelectPolygon", "miSelectCircle",
                                       "miSelectZoom", "miSelectMagicWand", "miSelectLasso"});
  RegisterEnum<TIESelectionOption>("TIESelectionOption", {"iesoAnimated", "iesoSizeable", "iesoMoveable",
                                                          "iesoFilled", "iesoCutBorders", "iesoMarkOuter",
                                                          "iesoCanScroll"});
  RegisterEnum<TIESelectionBase>("TIESelectionBase", {"iesbClientArea", "iesbBitmap"});
  using V = TRuzozAdView;
  RegisterClassInfo<V, TIEView>("TRuzozAdView")
      .Bool("LegacyBitmap", &V::LegacyBitmap, &V::SetLegacyBitmap, true)
      .Bool("DoubleBuffer", &V::DoubleBuffer, &V::SetDoubleBuffer, true)
      .Enum("ZoomFilter", &V::ZoomFilter, &V::SetZoomFilter, rfNone)
      .Enum("ScrollBars", &V::ScrollBars, &V::SetScrollBars, ssBoth)
      .Bool("Center", &V::Center, &V::SetCenter, true)
      .Bool("AutoFit", &V::AutoFit, &V::SetAutoFit, false)
      .Bool("AutoStretch", &V::AutoStretch, &V::SetAutoStretch, false)
      .Bool("AutoShrink", &V::AutoShrink, &V::SetAutoShrink, false)
      .Enum("BackgroundStyle", &V::BackgroundStyle, &V::SetBackgroundStyle, iebsSolid)
      .Bool("DelayZoomFilter", &V::DelayZoomFilter, &V::SetDelayZoomFilter, false)
      .Bool("EnableAlphaChannel", &V::EnableAlphaChannel, &V::SetEnableAlphaChannel, false)
      .IntIdent("Cursor", "TCursor", &V::ViewCursor, &V::SetViewCursor, crIEViewDefault)
      .Event("OnViewChange", &V::OnViewChange)
      .Event("OnImageChange", &V::OnImageChange)
      .Event("OnPaint", &V::OnPaint)
      .Event("OnProgress", &V::OnProgressField)
      .Set<TIEMouseInteractItems>("MouseInteract", &V::MouseInteract, &V::SetMouseInteract, TIEMouseInteract())
      .Set<TIESelectionOption>("SelectionOptions", &V::SelectionOptions, &V::SetSelectionOptions,
                               IEDefaultSelectionOptions)
      .Enum("SelectionBase", &V::SelectionBase, &V::SetSelectionBase, iesbClientArea)
      .Event("OnZoomIn", &V::OnZoomIn)
      .Event("OnZoomOut", &V::OnZoomOut)
      .Event("OnSelectionChanging", &V::OnSelectionChanging)
      .Event("OnSelectionChange", &V::OnSelectionChange)
      .Event("OnBeforeSelectionChange", &V::OnBeforeSelectionChange)
      .Event("OnMouseInSel", &V::OnMouseInSel)
      .Event("OnMouseInResizingGrip", &V::OnMouseInResizingGrip);

  using A = TRuzozAd;
  RegisterClassInfo<A, TRuzozAdView>("TRuzozAd")
      .Bool("AutoUndo", &A::AutoUndo, &A::SetAutoUndo, true)
      .Enum("MsgLanguage", &A::MsgLanguage, &A::SetMsgLanguage, msSystem)
      .Set<TPRPreviewsParamsItems>("ProcPreviewsParams", &A::ProcPreviewsParams, &A::SetProcPreviewsParams,
                                   TPRPreviewsParams())
      .Set<TIOPreviewsParamsItems>("IOPreviewsParams", &A::IOPreviewsParams, &A::SetIOPreviewsParams,
                                   TIOPreviewsParams(0))
      .Object("PreviewFont", &A::PreviewFont, &A::SetPreviewFont)
      .Bool("StreamHeaders", &A::StreamHeaders, &A::SetStreamHeaders, false)
      .Event("OnPreview", [](A* a) -> TIEPreviewEvent& { return a->OwnProc()->OnPreview; })
      .Event("OnIOPreview", [](A* a) -> TIEIOPreviewEvent& { return a->OwnIO()->OnIOPreview; })
      .Enum("DialogsMeasureUnit", &A::DialogsMeasureUnit, &A::SetDialogsMeasureUnit, ieduInches);
}
