object dxBarSubMenuEditor: TdxBarSubMenuEditor
  Tag = 100
  Left = 200
  Top = 150
  BorderIcons = [biSystemMenu]
  BorderStyle = bsDialog
  Caption = 'SubMenu Editor'
  ClientHeight = 4
  ClientWidth = 196
  Color = clBtnFace
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  OnActivate = FormActivate
  OnClose = FormClose
  OnDestroy = FormDestroy
  PixelsPerInch = 96
end
