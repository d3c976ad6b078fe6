object frmGifOptimize: TfrmGifOptimize
  Left = 300
  Top = 200
  BorderIcons = [biSystemMenu]
  BorderStyle = bsDialog
  Caption = 'GIF Optimization Wizard'
  ClientHeight = 278
  ClientWidth = 340
  Color = clBtnFace
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  Position = poOwnerFormCenter
  OnCreate = FormCreate
  OnShow = FormShow
  PixelsPerInch = 96
  object pnlOpt1: TPanel
    Left = 8
    Top = 8
    Width = 340
    Height = 236
    TabOrder = 0
    object lblPalettes: TLabel
      Left = 16
      Top = 16
      Width = 308
      Height = 28
      AutoSize = False
      Caption = 'What would you like to do with the animation color palettes?'
      Font.Color = clWindowText
      Font.Height = -11
      Font.Name = 'Tahoma'
      Font.Style = [fsBold]
      ParentFont = False
      WordWrap = True
    end
    object chkOptAll: TRzCheckBox
      Left = 24
      Top = 56
      Width = 300
      Height = 17
      Caption = '&Optimze all palettes (global and local)'
      Checked = True
      Enabled = False
      TabOrder = 0
    end
    object chkRemoveLocal: TRzCheckBox
      Left = 24
      Top = 84
      Width = 300
      Height = 17
      Caption = '&Remove local palettes (optimizes to global palette)'
      Enabled = False
      TabOrder = 1
    end
    object chkPaletteSort: TRzCheckBox
      Left = 24
      Top = 112
      Width = 300
      Height = 17
      Caption = '&Sort palettes and remove unused entries'
      Checked = True
      TabOrder = 2
    end
  end
  object pnlOpt2: TPanel
    Left = 16
    Top = 16
    Width = 340
    Height = 236
    TabOrder = 1
    Visible = False
    object lblFrames: TLabel
      Left = 16
      Top = 16
      Width = 308
      Height = 28
      AutoSize = False
      Caption = 'How should the frames be optimized?'
      Font.Color = clWindowText
      Font.Height = -11
      Font.Name = 'Tahoma'
      Font.Style = [fsBold]
      ParentFont = False
      WordWrap = True
    end
    object chkTrim: TRzCheckBox
      Left = 24
      Top = 56
      Width = 300
      Height = 17
      Caption = '&Trim frames to smallest rectangle needed'
      Checked = True
      TabOrder = 0
    end
    object chkDupPixels: TRzCheckBox
      Left = 24
      Top = 84
      Width = 300
      Height = 17
      Caption = 'Remove &duplicate pixels with transparency'
      Checked = True
      TabOrder = 1
    end
    object chkNonVisible: TRzCheckBox
      Left = 24
      Top = 112
      Width = 300
      Height = 17
      Caption = '&Remove all non-visible elements (eg. comments)'
      TabOrder = 2
    end
  end
  object pnlOpt3: TPanel
    Left = 24
    Top = 24
    Width = 340
    Height = 236
    TabOrder = 2
    Visible = False
    object lblResults: TLabel
      Left = 16
      Top = 16
      Width = 308
      Height = 14
      AutoSize = False
      Caption = 'Results'
      Font.Color = clWindowText
      Font.Height = -11
      Font.Name = 'Tahoma'
      Font.Style = [fsBold]
      ParentFont = False
    end
    object lblCurrSizeCaption: TLabel
      Left = 24
      Top = 42
      Width = 96
      Height = 13
      AutoSize = False
      Caption = 'Current Size:'
    end
    object lblCurrSize: TLabel
      Left = 124
      Top = 42
      Width = 200
      Height = 13
      AutoSize = False
    end
    object lblOptimizedSizeCaption: TLabel
      Left = 24
      Top = 62
      Width = 96
      Height = 13
      AutoSize = False
      Caption = 'Optimzed Size:'
    end
    object lblOptimizedSize: TLabel
      Left = 124
      Top = 62
      Width = 200
      Height = 13
      AutoSize = False
    end
    object lblTotalCaption: TLabel
      Left = 24
      Top = 82
      Width = 96
      Height = 13
      AutoSize = False
      Caption = 'Total Savings:'
    end
    object lblTotal: TLabel
      Left = 124
      Top = 82
      Width = 200
      Height = 13
      AutoSize = False
    end
    object lblWow: TLabel
      Left = 16
      Top = 112
      Width = 308
      Height = 42
      AutoSize = False
      Caption = 'Wow! Here are the optimized animation results. If you are satisfied with the results, select the finish button to continue.'
      WordWrap = True
    end
    object lblDLTimeCaption: TLabel
      Left = 16
      Top = 166
      Width = 308
      Height = 13
      AutoSize = False
      Caption = 'Estimated Download Time:'
    end
    object lblDLTime: TLabel
      Left = 16
      Top = 191
      Width = 150
      Height = 13
      Alignment = taRightJustify
      AutoSize = False
    end
    object cbBps: TRzComboBox
      Left = 172
      Top = 187
      Width = 60
      Height = 21
      Style = csDropDownList
      Items.Strings = (
        '28.8'
        '56.6'
        'DSL'
        'T-1')
      TabOrder = 0
      OnChange = cbBpsChange
    end
    object lblModem: TLabel
      Left = 238
      Top = 191
      Width = 60
      Height = 13
      AutoSize = False
      Caption = 'modem.'
    end
  end
  object btnBack: TRzButton
    Left = 95
    Top = 245
    Width = 75
    Height = 25
    Caption = 'Back'
    Enabled = False
    TabOrder = 3
    OnClick = btnBackClick
  end
  object btnNext: TRzButton
    Left = 176
    Top = 245
    Width = 75
    Height = 25
    Caption = 'Next'
    TabOrder = 4
    OnClick = btnNextClick
  end
  object btnCancel: TRzButton
    Left = 257
    Top = 245
    Width = 75
    Height = 25
    Caption = 'Cancel'
    Default = True
    TabOrder = 5
    OnClick = btnCancelClick
  end
end
