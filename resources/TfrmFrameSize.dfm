object frmFrameSize: TfrmFrameSize
  Left = 300
  Top = 200
  BorderIcons = [biSystemMenu]
  BorderStyle = bsDialog
  Caption = 'Frame Size Difference'
  ClientHeight = 113
  ClientWidth = 445
  Color = clBtnFace
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  Position = poOwnerFormCenter
  PixelsPerInch = 96
  object Label1: TLabel
    Left = 8
    Top = 8
    Width = 429
    Height = 13
    AutoSize = False
    Caption = 'The image dimensions are larger than the animation, how should this be handled?'
  end
  object optTrim: TRzRadioButton
    Left = 24
    Top = 30
    Width = 320
    Height = 17
    Caption = '&Trim frame to match the animation size'
    TabOrder = 0
  end
  object optChange: TRzRadioButton
    Left = 24
    Top = 52
    Width = 320
    Height = 17
    Caption = '&Change the animation size to match the frame size'
    Checked = True
    TabOrder = 1
    TabStop = True
  end
  object chkDefault: TRzCheckBox
    Left = 8
    Top = 86
    Width = 240
    Height = 17
    Caption = '&Make this the Default Action'
    TabOrder = 2
  end
  object btnOk: TRzButton
    Left = 281
    Top = 80
    Width = 75
    Height = 25
    Caption = 'OK'
    Default = True
    ModalResult = 1
    TabOrder = 3
  end
  object btnCancel: TRzButton
    Left = 362
    Top = 80
    Width = 75
    Height = 25
    Cancel = True
    Caption = 'Cancel'
    ModalResult = 2
    TabOrder = 4
  end
end
