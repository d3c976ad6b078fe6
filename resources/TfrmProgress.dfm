object frmProgress: TfrmProgress
  Left = 400
  Top = 300
  BorderIcons = []
  BorderStyle = bsDialog
  ClientHeight = 98
  ClientWidth = 292
  Color = clBtnFace
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  Position = poScreenCenter
  Scaled = False
  PixelsPerInch = 96
  object lblFileName: TLabel
    Left = 8
    Top = 8
    Width = 276
    Height = 24
    Alignment = taCenter
    AutoSize = False
    Layout = tlCenter
  end
  object lblProgress: TLabel
    Left = 8
    Top = 76
    Width = 90
    Height = 13
    AutoSize = False
    Visible = False
  end
  object prgBar: TProgressBar
    Left = 8
    Top = 38
    Width = 276
    Height = 16
    Step = 1
    TabOrder = 0
  end
  object btnCancel: TButton
    Left = 108
    Top = 64
    Width = 75
    Height = 25
    Cancel = True
    Caption = 'Cancel'
    Default = True
    ModalResult = 2
    TabOrder = 1
  end
end
