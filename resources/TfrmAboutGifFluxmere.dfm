object frmAboutGifFluxmere: TfrmAboutGifFluxmere
  Left = 300
  Top = 200
  BorderIcons = [biSystemMenu]
  BorderStyle = bsDialog
  Caption = 'About'
  ClientHeight = 212
  ClientWidth = 352
  Color = clBtnFace
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  Position = poOwnerFormCenter
  OnCreate = FormCreate
  PixelsPerInch = 96
  object lblTitle: TRzLabel
    Left = 16
    Top = 14
    Width = 320
    Height = 19
    AutoSize = False
    Caption = 'Larkspire GIF Fluxmere'
    Font.Color = clWindowText
    Font.Height = -16
    Font.Name = 'Tahoma'
    Font.Style = [fsBold]
    ParentFont = False
  end
  object lblDescription: TRzLabel
    Left = 16
    Top = 40
    Width = 320
    Height = 28
    AutoSize = False
    WordWrap = True
  end
  object lblMakerSite: TRzURLLabel
    Left = 16
    Top = 76
    Caption = 'www.larkspire-software.example'
    URL = 'http://www.larkspire-software.example/'
  end
  object lblAddress: TRzLabel
    Left = 16
    Top = 96
    Width = 320
    Height = 28
    AutoSize = False
    Caption = 'Larkspire Software, 12 Quarry Lane, Hollowmere, HM4 7QX'
    WordWrap = True
  end
  object lblCredit: TRzLabel
    Left = 16
    Top = 132
    Caption = 'Flash conversion by Wexbolt Media:'
  end
  object lblCreditSite: TRzURLLabel
    Left = 16
    Top = 148
    Caption = 'www.wexbolt-media.example'
    URL = 'http://www.wexbolt-media.example/'
  end
  object btnOk: TRzButton
    Left = 261
    Top = 176
    Width = 75
    Height = 25
    Cancel = True
    Caption = 'OK'
    Default = True
    TabOrder = 0
    OnClick = btnOkClick
  end
end
