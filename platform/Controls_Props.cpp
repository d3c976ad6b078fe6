// Published properties of the control, form and timer classes.
#include "platform/Controls.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "platform/Timer.h"
#include "platform/TypInfo.h"

namespace {

struct TCursorName {
  TCursor Value;
  const char* Name;
};
const TCursorName CursorNames[] = {
    {crDefault, "crDefault"},     {crNone, "crNone"},         {crArrow, "crArrow"},       {crCross, "crCross"},
    {crIBeam, "crIBeam"},         {crSizeNESW, "crSizeNESW"}, {crSizeNS, "crSizeNS"},     {crSizeNWSE, "crSizeNWSE"},
    {crSizeWE, "crSizeWE"},       {crUpArrow, "crUpArrow"},   {crHourGlass, "crHourGlass"}, {crDrag, "crDrag"},
    {crNoDrop, "crNoDrop"},       {crHSplit, "crHSplit"},     {crVSplit, "crVSplit"},     {crMultiDrag, "crMultiDrag"},
    {crSQLWait, "crSQLWait"},     {crNo, "crNo"},             {crAppStart, "crAppStart"}, {crHelp, "crHelp"},
    {crHandPoint, "crHandPoint"}, {crSizeAll, "crSizeAll"},   {crSize, "crSize"},
};

bool SameText(const std::string& a, const char* b) {
  size_t n = std::char_traits<char>::length(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

}  // namespace

void RegisterControlsProps() {
  RegisterIntegerConsts("TCursor", TIdentMapper{
      [](const std::string& ident, Int64& value) {
        for (const TCursorName& c : CursorNames)
          if (SameText(ident, c.Name)) {
            value = c.Value;
            return true;
          }
        return false;
      },
      [](Int64 value, std::string& ident) {
        for (const TCursorName& c : CursorNames)
          if (c.Value == value) {
            ident = c.Name;
            return true;
          }
        return false;
      }});

  RegisterEnum<TAlign>("TAlign", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom"});
  RegisterEnum<TAnchorKind>("TAnchorKind", {"akLeft", "akTop", "akRight", "akBottom"});
  RegisterEnum<TDragMode>("TDragMode", {"dmManual", "dmAutomatic"});
  RegisterEnum<TDragKind>("TDragKind", {"dkDrag", "dkDock"});
  RegisterEnum<TBiDiMode>("TBiDiMode", {"bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign",
                                        "bdRightToLeftReadingOnly"});
  RegisterEnum<TBorderStyle>("TFormBorderStyle",
                             {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"});
  RegisterEnum<TBorderIcon>("TBorderIcon", {"biSystemMenu", "biMinimize", "biMaximize", "biHelp"});
  RegisterEnum<TPosition>("TPosition", {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly",
                                        "poScreenCenter", "poDesktopCenter", "poMainFormCenter",
                                        "poOwnerFormCenter"});
  RegisterEnum<TFormStyle>("TFormStyle", {"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"});
  RegisterEnum<TWindowState>("TWindowState", {"wsNormal", "wsMinimized", "wsMaximized"});

  RegisterClassInfo<TSizeConstraints, TPersistent>("TSizeConstraints")
      .Int("MaxHeight", &TSizeConstraints::MaxHeight, &TSizeConstraints::SetMaxHeight, 0)
      .Int("MaxWidth", &TSizeConstraints::MaxWidth, &TSizeConstraints::SetMaxWidth, 0)
      .Int("MinHeight", &TSizeConstraints::MinHeight, &TSizeConstraints::SetMinHeight, 0)
      .Int("MinWidth", &TSizeConstraints::MinWidth, &TSizeConstraints::SetMinWidth, 0);

  // What every control publishes; descendants add Caption or Text, Color and the rest.
  RegisterClassInfo<TControl, TComponent>("TControl")
      .Int("Left", &TControl::Left, &TControl::SetLeft)
      .Int("Top", &TControl::Top, &TControl::SetTop)
      .Int("Width", &TControl::Width, &TControl::SetWidth)
      .Int("Height", &TControl::Height, &TControl::SetHeight)
      .Enum("Align", &TControl::Align, &TControl::SetAlign, alNone)
      .Set<TAnchorKind>("Anchors", &TControl::Anchors, &TControl::SetAnchors, TAnchors{akLeft, akTop})
      .Object("Constraints", &TControl::Constraints, &TControl::SetConstraints)
      .Bool("Enabled", &TControl::Enabled, &TControl::SetEnabled, true)
      .Stored([](TControl* c) { return c->IsEnabledStored(); })
      .Bool("ParentColor", &TControl::ParentColor, &TControl::SetParentColor)
      .Color("Color", &TControl::Color, &TControl::SetColor)
      .Stored([](TControl* c) { return !c->ParentColor(); })
      .Bool("ParentFont", &TControl::ParentFont, &TControl::SetParentFont)
      .Object("Font", &TControl::Font, &TControl::SetFont)
      .Stored([](TControl* c) { return !c->ParentFont(); })
      .Str("Hint", &TControl::Hint, &TControl::SetHint)
      .Stored([](TControl* c) { return c->IsHintStored(); })
      .Bool("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint, true)
      .Bool("ShowHint", &TControl::ShowHint, &TControl::SetShowHint)
      .Stored([](TControl* c) { return !c->ParentShowHint(); })
      .IntIdent("Cursor", "TCursor", &TControl::Cursor, &TControl::SetCursor, crDefault)
      .Ref("PopupMenu", &TControl::PopupMenuComponent, &TControl::SetPopupMenu)
      .Enum("DragMode", &TControl::DragMode, &TControl::SetDragMode, dmManual)
      .Enum("DragKind", &TControl::DragKind, &TControl::SetDragKind, dkDrag)
      .IntIdent("DragCursor", "TCursor", &TControl::DragCursor, &TControl::SetDragCursor, crDrag)
      .Enum("BiDiMode", &TControl::BiDiMode, &TControl::SetBiDiMode, bdLeftToRight)
      .Bool("ParentBiDiMode", &TControl::ParentBiDiMode, &TControl::SetParentBiDiMode, true)
      .Int("HelpContext", &TControl::HelpContext, &TControl::SetHelpContext, 0)
      .Stored([](TControl* c) { return c->IsHelpContextStored(); })
      .Bool("Visible", &TControl::Visible, &TControl::SetVisible, true)
      .Stored([](TControl* c) { return c->IsVisibleStored(); })
      .Event("OnClick", &TControl::OnClick)
      .Stored([](TControl* c) { return c->IsOnClickStored(); })
      .Event("OnDblClick", &TControl::OnDblClick)
      .Event("OnMouseDown", &TControl::OnMouseDown)
      .Event("OnMouseMove", &TControl::OnMouseMove)
      .Event("OnMouseUp", &TControl::OnMouseUp)
      .Event("OnResize", &TControl::OnResize)
      .Event("OnContextPopup", &TControl::OnContextPopup)
      .Event("OnMouseWheel", &TControl::OnMouseWheel)
      .Event("OnMouseWheelDown", &TControl::OnMouseWheelDown)
      .Event("OnMouseWheelUp", &TControl::OnMouseWheelUp)
      .Event("OnDragDrop", &TControl::OnDragDrop)
      .Event("OnDragOver", &TControl::OnDragOver)
      .Event("OnEndDrag", &TControl::OnEndDrag)
      .Event("OnStartDrag", &TControl::OnStartDrag)
      .Event("OnEndDock", &TControl::OnEndDock)
      .Event("OnStartDock", &TControl::OnStartDock);

  RegisterClassInfo<TWinControl, TControl>("TWinControl")
      .Int("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder)
      .Stored([](TWinControl* c) { return c->Parent() != nullptr; })
      .Bool("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, false)
      .Bool("DockSite", &TWinControl::DockSite, &TWinControl::SetDockSite, false)
      .Bool("UseDockManager", &TWinControl::UseDockManager, &TWinControl::SetUseDockManager, false)
      .Bool("DoubleBuffered", &TWinControl::DoubleBuffered, &TWinControl::SetDoubleBuffered, false)
      .Event("OnEnter", &TWinControl::OnEnter)
      .Event("OnExit", &TWinControl::OnExit)
      .Event("OnKeyDown", &TWinControl::OnKeyDown)
      .Event("OnKeyPress", &TWinControl::OnKeyPress)
      .Event("OnKeyUp", &TWinControl::OnKeyUp)
      .Event("OnDockDrop", &TWinControl::OnDockDrop)
      .Event("OnDockOver", &TWinControl::OnDockOver)
      .Event("OnUnDock", &TWinControl::OnUnDock);
  RegisterClassInfo<TCustomControl, TWinControl>("TCustomControl");
  RegisterClassInfo<TGraphicControl, TControl>("TGraphicControl");

  // A form stores its client size; the outer size follows from the border.
  RegisterClassInfo<TCustomForm, TCustomControl>("TCustomForm")
      .Int("Width", &TCustomForm::Width, &TCustomForm::SetWidth)
      .Stored([](TCustomForm*) { return false; })
      .Int("Height", &TCustomForm::Height, &TCustomForm::SetHeight)
      .Stored([](TCustomForm*) { return false; })
      .Str("Caption", &TCustomForm::Caption, &TCustomForm::SetCaption)
      .Int("ClientHeight", &TCustomForm::ClientHeight, &TCustomForm::SetClientHeight)
      .Int("ClientWidth", &TCustomForm::ClientWidth, &TCustomForm::SetClientWidth)
      .Enum("BorderStyle", &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle, bsSizeable)
      .Set<TBorderIcon>("BorderIcons", &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons,
                        TBorderIcons{biSystemMenu, biMinimize, biMaximize})
      .Enum("Position", &TCustomForm::Position, &TCustomForm::SetPosition, poDesigned)
      .Enum("FormStyle", &TCustomForm::FormStyle, &TCustomForm::SetFormStyle, fsNormal)
      .Enum("WindowState", &TCustomForm::WindowState, &TCustomForm::SetWindowState, wsNormal)
      .Bool("KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview, false)
      .Object("Icon", &TCustomForm::Icon, &TCustomForm::SetIcon)
      .Ref("Menu", &TCustomForm::Menu, &TCustomForm::SetMenu)
      .Ref("ActiveControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl)
      .Int("PixelsPerInch", &TCustomForm::PixelsPerInch, &TCustomForm::SetPixelsPerInch)
      .Bool("Scaled", &TCustomForm::Scaled, &TCustomForm::SetScaled, true)
      .Bool("OldCreateOrder", &TCustomForm::OldCreateOrder, &TCustomForm::SetOldCreateOrder, false)
      .Bool("AutoScroll", &TCustomForm::AutoScroll, &TCustomForm::SetAutoScroll, false)
      .Str("HelpFile", &TCustomForm::HelpFile, &TCustomForm::SetHelpFile)
      .Bool("Visible", &TCustomForm::Visible, &TCustomForm::SetFormVisible, false)
      .Event("OnCreate", &TCustomForm::OnCreate)
      .Event("OnDestroy", &TCustomForm::OnDestroy)
      .Event("OnShow", &TCustomForm::OnShow)
      .Event("OnHide", &TCustomForm::OnHide)
      .Event("OnActivate", &TCustomForm::OnActivate)
      .Event("OnDeactivate", &TCustomForm::OnDeactivate)
      .Event("OnPaint", &TCustomForm::OnPaint)
      .Event("OnClose", &TCustomForm::OnClose)
      .Event("OnCloseQuery", &TCustomForm::OnCloseQuery)
      .Event("OnShortCut", &TCustomForm::OnShortCut)
      .Event("OnHelp", &TCustomForm::OnHelp);
  RegisterClassInfo<TForm, TCustomForm>("TForm");

  RegisterClassInfo<TTimer, TComponent>("TTimer")
      .Bool("Enabled", &TTimer::Enabled, &TTimer::SetEnabled, true)
      .Int("Interval", &TTimer::Interval, &TTimer::SetInterval, 1000)
      .Event("OnTimer", &TTimer::OnTimer);
}
