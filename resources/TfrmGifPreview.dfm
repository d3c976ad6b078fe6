object frmGifPreview: TfrmGifPreview
  Left = 0
  Top = 0
  AutoSize = True
  BorderIcons = [biSystemMenu, biMinimize]
  BorderStyle = bsSingle
  Caption = 'Preview'
  ClientHeight = 100
  ClientWidth = 100
  Color = clBtnFace
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  OldCreateOrder = False
  Position = poMainFormCenter
  OnClose = FormClose
  PixelsPerInch = 96
  object imgPreview: TImage
    Left = 0
    Top = 0
    Width = 100
    Height = 100
    AutoSize = True
    Center = True
  end
end
