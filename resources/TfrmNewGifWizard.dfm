object frmNewGifWizard: TfrmNewGifWizard
  Left = 300
  Top = 200
  BorderIcons = [biSystemMenu]
  BorderStyle = bsDialog
  BorderWidth = 8
  Caption = 'Animation Wizard'
  ClientHeight = 263
  ClientWidth = 347
  Color = clBtnFace
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  Position = poOwnerFormCenter
  PixelsPerInch = 96
  ShowHint = True
  OnCreate = FormCreate
  OnShow = FormShow
  object pnlLoop: TPanel
    Left = 0
    Top = 0
    Width = 347
    Height = 226
    BevelOuter = bvNone
    TabOrder = 0
    object lblLoopHeading: TLabel
      Left = 0
      Top = 0
      Width = 347
      Height = 16
      AutoSize = False
      Caption = 'Animation Loop and Frame Delay'
      Font.Color = clWindowText
      Font.Height = -13
      Font.Name = 'Tahoma'
      Font.Style = [fsBold]
      ParentFont = False
    end
    object bevLoop: TBevel
      Left = 0
      Top = 22
      Width = 347
      Height = 2
      Shape = bsTopLine
    end
    object lblLoopQuestion: TLabel
      Left = 0
      Top = 36
      Width = 347
      Height = 13
      AutoSize = False
      Caption = 'Would you like to loop the animation?'
    end
    object optLoopInfinite: TRzRadioButton
      Left = 16
      Top = 58
      Width = 300
      Height = 17
      Caption = '&Yes, play the animation infinitely'
      Checked = True
      TabOrder = 0
      TabStop = True
      OnClick = optLoopInfiniteClick
    end
    object optLoopPlay: TRzRadioButton
      Left = 16
      Top = 84
      Width = 60
      Height = 17
      Caption = '&Play it'
      TabOrder = 1
      OnClick = optLoopInfiniteClick
    end
    object spinLoop: TRzSpinEdit
      Left = 80
      Top = 82
      Width = 62
      Height = 21
      AllowKeyEdit = True
      Max = 65535
      MaxLength = 5
      Value = 1
      Enabled = False
      TabOrder = 2
    end
    object lblLoopTimes: TLabel
      Left = 148
      Top = 86
      Width = 40
      Height = 13
      Caption = 'time(s)'
    end
    object lblDelayQuestion: TLabel
      Left = 0
      Top = 122
      Width = 347
      Height = 13
      AutoSize = False
      Caption = 'How long would you like each frame to be &displayed?'
      FocusControl = spinDelay
    end
    object spinDelay: TRzSpinEdit
      Left = 16
      Top = 142
      Width = 76
      Height = 21
      AllowKeyEdit = True
      CheckRange = True
      Decimals = 2
      Increment = 0.01
      IntegersOnly = False
      Max = 655.35
      Value = 1
      TabOrder = 3
    end
    object lblDelaySeconds: TLabel
      Left = 98
      Top = 146
      Width = 42
      Height = 13
      Caption = 'Seconds'
    end
  end
  object pnlImages: TPanel
    Left = 0
    Top = 0
    Width = 347
    Height = 226
    BevelOuter = bvNone
    TabOrder = 1
    object lblImagesHeading: TLabel
      Left = 0
      Top = 0
      Width = 347
      Height = 16
      AutoSize = False
      Caption = 'Frame Images'
      Font.Color = clWindowText
      Font.Height = -13
      Font.Name = 'Tahoma'
      Font.Style = [fsBold]
      ParentFont = False
    end
    object bevImages: TBevel
      Left = 0
      Top = 22
      Width = 347
      Height = 2
      Shape = bsTopLine
    end
    object lblImagesPrompt: TLabel
      Left = 0
      Top = 36
      Width = 347
      Height = 13
      AutoSize = False
      Caption = '&Select the images you would like to include in the animation.'
      FocusControl = lbImages
    end
    object lbImages: TListBoxHrz
      Left = 0
      Top = 56
      Width = 310
      Height = 134
      IntegralHeight = False
      TabOrder = 0
      OnClick = lbImagesClick
    end
    object btnMoveUp: TRzBitBtn
      Left = 318
      Top = 56
      Width = 29
      Height = 27
      Hint = 'Move Image Up'
      Enabled = False
      TabOrder = 1
      OnClick = btnMoveUpClick
      Glyph.Data = {
        36030000424D3603000000000000360000002800000010000000100000000100
        1800000000000003000000000000000000000000000000000000FF00FFFF00FF
        FF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00
        FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF
        00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FF
        FF00FFFF00FFFF00FFC85A1EC85A1EC85A1EC85A1EC85A1EFF00FFFF00FFFF00
        FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFC85A1EC85A1EC8
        5A1EC85A1EC85A1EFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FF
        FF00FFFF00FFFF00FFC85A1EC85A1EC85A1EC85A1EC85A1EFF00FFFF00FFFF00
        FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFC85A1EC85A1EC8
        5A1EC85A1EC85A1EFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FF
        FF00FFFF00FFFF00FFC85A1EC85A1EC85A1EC85A1EC85A1EFF00FFFF00FFFF00
        FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFC85A1EC85A1EC8
        5A1EC85A1EC85A1EFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FF
        C85A1EC85A1EC85A1EC85A1EC85A1EC85A1EC85A1EC85A1EC85A1EC85A1EC85A
        1EFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFC85A1EC85A1EC85A1EC85A1EC8
        5A1EC85A1EC85A1EC85A1EC85A1EFF00FFFF00FFFF00FFFF00FFFF00FFFF00FF
        FF00FFFF00FFC85A1EC85A1EC85A1EC85A1EC85A1EC85A1EC85A1EFF00FFFF00
        FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFC85A1EC85A1EC8
        5A1EC85A1EC85A1EFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FF
        FF00FFFF00FFFF00FFFF00FFC85A1EC85A1EC85A1EFF00FFFF00FFFF00FFFF00
        FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFC8
        5A1EFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FF
        FF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00
        FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF
        00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FF}
    end
    object btnMoveDown: TRzBitBtn
      Left = 318
      Top = 89
      Width = 29
      Height = 27
      Hint = 'Move Image Down'
      Enabled = False
      TabOrder = 2
      OnClick = btnMoveDownClick
      Glyph.Data = {
        36030000424D3603000000000000360000002800000010000000100000000100
        1800000000000003000000000000000000000000000000000000FF00FFFF00FF
        FF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00
        FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF
        00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FF
        FF00FFFF00FFFF00FFFF00FFFF00FFC85A1EFF00FFFF00FFFF00FFFF00FFFF00
        FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFC85A1EC8
        5A1EC85A1EFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FF
        FF00FFFF00FFFF00FFC85A1EC85A1EC85A1EC85A1EC85A1EFF00FFFF00FFFF00
        FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFC85A1EC85A1EC85A1EC8
        5A1EC85A1EC85A1EC85A1EFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FF
        FF00FFC85A1EC85A1EC85A1EC85A1EC85A1EC85A1EC85A1EC85A1EC85A1EFF00
        FFFF00FFFF00FFFF00FFFF00FFFF00FFC85A1EC85A1EC85A1EC85A1EC85A1EC8
        5A1EC85A1EC85A1EC85A1EC85A1EC85A1EFF00FFFF00FFFF00FFFF00FFFF00FF
        FF00FFFF00FFFF00FFC85A1EC85A1EC85A1EC85A1EC85A1EFF00FFFF00FFFF00
        FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFC85A1EC85A1EC8
        5A1EC85A1EC85A1EFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FF
        FF00FFFF00FFFF00FFC85A1EC85A1EC85A1EC85A1EC85A1EFF00FFFF00FFFF00
        FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFC85A1EC85A1EC8
        5A1EC85A1EC85A1EFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FF
        FF00FFFF00FFFF00FFC85A1EC85A1EC85A1EC85A1EC85A1EFF00FFFF00FFFF00
        FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFC85A1EC85A1EC8
        5A1EC85A1EC85A1EFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FF
        FF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00
        FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF
        00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FF}
    end
    object btnImageAdd: TRzButton
      Left = 0
      Top = 198
      Width = 110
      Height = 25
      Caption = '&Add Image(s)...'
      TabOrder = 3
      OnClick = btnImageAddClick
    end
    object btnImageRemove: TRzButton
      Left = 116
      Top = 198
      Width = 110
      Height = 25
      Caption = '&Remove Image'
      Enabled = False
      TabOrder = 4
      OnClick = btnImageRemoveClick
    end
  end
  object pnlFinish: TPanel
    Left = 0
    Top = 0
    Width = 347
    Height = 226
    BevelOuter = bvNone
    TabOrder = 2
    object lblFinishHeading: TLabel
      Left = 0
      Top = 0
      Width = 347
      Height = 16
      AutoSize = False
      Caption = 'Finish Wizard'
      Font.Color = clWindowText
      Font.Height = -13
      Font.Name = 'Tahoma'
      Font.Style = [fsBold]
      ParentFont = False
    end
    object bevFinish: TBevel
      Left = 0
      Top = 22
      Width = 347
      Height = 2
      Shape = bsTopLine
    end
    object lblFinishText: TLabel
      Left = 0
      Top = 36
      Width = 347
      Height = 80
      AutoSize = False
      Caption = 
        'Congratulations! The animation wizard has everything it needs to' +
        ' create a new animation. All you have to do is selected the Fini' +
        'sh button. It will take a few moments for the animation wizard t' +
        'o build the animated gif image.'
      WordWrap = True
    end
  end
  object btnBack: TRzButton
    Left = 110
    Top = 238
    Width = 75
    Height = 25
    Caption = 'Back'
    Enabled = False
    TabOrder = 3
    OnClick = btnBackClick
  end
  object btnNext: TRzButton
    Left = 191
    Top = 238
    Width = 75
    Height = 25
    Caption = 'Next'
    TabOrder = 4
    OnClick = btnNextClick
  end
  object btnCancel: TRzButton
    Left = 272
    Top = 238
    Width = 75
    Height = 25
    Cancel = True
    Caption = 'Cancel'
    TabOrder = 5
    OnClick = btnCancelClick
  end
  object dlgOpen2: TOpenDialog
    Filter = 
      'All (*.gif;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf)|*.gif;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf|GIF Image (*.gif)|*.gif|JPEG Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg|Bitmaps (*.bmp)|*.bmp|Icons (*.ico)|*.ico|Enhanced Metafiles (*.emf)|*.emf'
    Options = [ofHideReadOnly, ofAllowMultiSelect, ofEnableSizing]
  end
end
