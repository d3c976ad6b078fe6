object frmExporter: TfrmExporter
  Left = 300
  Top = 160
  BorderIcons = [biSystemMenu]
  BorderStyle = bsDialog
  Caption = 'Export Images'
  ClientHeight = 436
  ClientWidth = 426
  Color = clBtnFace
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  Position = poOwnerFormCenter
  Scaled = False
  PixelsPerInch = 96
  OnActivate = FormActivate
  OnCloseQuery = FormCloseQuery
  OnCreate = FormCreate
  object lblInstructions: TLabel
    Left = 8
    Top = 8
    Width = 410
    Height = 26
    AutoSize = False
    Caption = 
      'To export any or all the frames as individual image files simpl' +
      'y select the from the list and choose the image format options,' +
      ' then press OK.'
    WordWrap = True
  end
  object lbExport: TListBox
    Left = 8
    Top = 42
    Width = 200
    Height = 174
    ItemHeight = 13
    MultiSelect = True
    TabOrder = 0
    OnClick = lbExportClick
  end
  object sbPreview: TScrollBox
    Left = 216
    Top = 42
    Width = 202
    Height = 174
    HorzScrollBar.Margin = 10
    VertScrollBar.Margin = 10
    Color = clWhite
    ParentColor = False
    TabOrder = 1
    object imgPreview: TImage
      Left = 10
      Top = 10
      Width = 105
      Height = 105
      AutoSize = True
    end
  end
  object Progress: TProgressBar
    Left = 8
    Top = 224
    Width = 410
    Height = 14
    TabOrder = 2
    Visible = False
  end
  object grpFormat: TRzGroupBox
    Left = 8
    Top = 244
    Width = 150
    Height = 90
    Caption = 'Export Image(s) as'
    TabOrder = 3
    object optGIF: TRzRadioButton
      Left = 10
      Top = 20
      Width = 134
      Height = 17
      Caption = '&Gif Image (*.gif)'
      Checked = True
      TabOrder = 0
      TabStop = True
      OnClick = optGIFClick
    end
    object optJpeg: TRzRadioButton
      Tag = 1
      Left = 10
      Top = 42
      Width = 134
      Height = 17
      Caption = '&Jpeg Image (*.jpg)'
      TabOrder = 1
      OnClick = optGIFClick
    end
    object optBitmap: TRzRadioButton
      Tag = 2
      Left = 10
      Top = 64
      Width = 134
      Height = 17
      Caption = '&Bitmap Image (*.bmp)'
      TabOrder = 2
      OnClick = optGIFClick
    end
  end
  object pnlGIF: TPanel
    Left = 166
    Top = 244
    Width = 252
    Height = 146
    BevelOuter = bvNone
    TabOrder = 4
    object grpGIFPalette: TRzGroupBox
      Left = 0
      Top = 0
      Width = 252
      Height = 122
      Caption = 'Color Palette'
      TabOrder = 0
      object lblGIFColors: TLabel
        Left = 180
        Top = 77
        Width = 40
        Height = 13
        Caption = '(colors)'
      end
      object optGIFNetscape: TRzRadioButton
        Left = 10
        Top = 20
        Width = 160
        Height = 17
        Caption = '&Netscape (216 colors)'
        Checked = True
        TabOrder = 0
        TabStop = True
        OnClick = optGIFNetscapeClick
      end
      object optGIFGray: TRzRadioButton
        Tag = 1
        Left = 10
        Top = 39
        Width = 160
        Height = 17
        Caption = 'G&rayscale (255 shades)'
        TabOrder = 1
        OnClick = optGIFNetscapeClick
      end
      object optGIFMonochrome: TRzRadioButton
        Tag = 2
        Left = 10
        Top = 58
        Width = 160
        Height = 17
        Caption = '&Monochrome (b&&w)'
        TabOrder = 2
        OnClick = optGIFNetscapeClick
      end
      object optGIFWindows: TRzRadioButton
        Tag = 3
        Left = 10
        Top = 77
        Width = 100
        Height = 17
        Caption = '&Windows'
        TabOrder = 3
        OnClick = optGIFNetscapeClick
      end
      object cbGIFColors: TRzComboBox
        Left = 116
        Top = 74
        Width = 58
        Height = 21
        Style = csDropDownList
        TabOrder = 4
        Items.Strings = (
          '256'
          '128'
          '64'
          '32'
          '16'
          '8')
      end
      object optGIFWinSys20: TRzRadioButton
        Tag = 4
        Left = 10
        Top = 98
        Width = 180
        Height = 17
        Caption = 'Windows &System (20 colors)'
        TabOrder = 5
        OnClick = optGIFNetscapeClick
      end
    end
    object chkGIFOptimized: TRzCheckBox
      Left = 10
      Top = 128
      Width = 120
      Height = 17
      Caption = '&Optimized'
      Checked = True
      State = cbChecked
      TabOrder = 1
    end
  end
  object pnlJPEG: TPanel
    Left = 166
    Top = 244
    Width = 252
    Height = 146
    BevelOuter = bvNone
    TabOrder = 5
    Visible = False
    object grpJQuality: TRzGroupBox
      Left = 0
      Top = 0
      Width = 104
      Height = 146
      Caption = '&Compresson Quality'
      TabOrder = 0
      object lblJExcellent: TLabel
        Left = 44
        Top = 22
        Width = 44
        Height = 13
        Caption = 'Excellent'
      end
      object lblJPoor: TLabel
        Left = 44
        Top = 98
        Width = 23
        Height = 13
        Caption = 'Poor'
      end
      object trackbar: TTrackBar
        Left = 8
        Top = 16
        Width = 32
        Height = 102
        Max = 4
        Orientation = trVertical
        PageSize = 1
        Position = 2
        TabOrder = 0
      end
      object chkJGrayscale: TRzCheckBox
        Left = 10
        Top = 122
        Width = 88
        Height = 17
        Caption = 'G&rayscale'
        TabOrder = 1
      end
    end
    object grpJDisplay: TRzGroupBox
      Left = 112
      Top = 0
      Width = 140
      Height = 66
      Caption = 'Display'
      TabOrder = 1
      object chkJProgress: TRzCheckBox
        Left = 10
        Top = 20
        Width = 124
        Height = 17
        Caption = '&Progressive Display'
        TabOrder = 0
        OnClick = chkJProgressClick
      end
      object chkJSmooth: TRzCheckBox
        Left = 10
        Top = 42
        Width = 124
        Height = 17
        Caption = 'S&moothing'
        Enabled = False
        TabOrder = 1
      end
    end
    object grpJPerformance: TRzGroupBox
      Left = 112
      Top = 74
      Width = 140
      Height = 72
      Caption = 'Performance'
      TabOrder = 2
      object optJBestQuality: TRzRadioButton
        Left = 10
        Top = 20
        Width = 124
        Height = 17
        Caption = 'Best &Quality'
        Checked = True
        TabOrder = 0
        TabStop = True
      end
      object optJSpdQuality: TRzRadioButton
        Left = 10
        Top = 44
        Width = 124
        Height = 17
        Caption = 'Best &Speed'
        TabOrder = 1
      end
    end
  end
  object pnlBitmap: TPanel
    Left = 166
    Top = 244
    Width = 252
    Height = 146
    BevelOuter = bvNone
    TabOrder = 6
    Visible = False
    object chkBMono: TRzCheckBox
      Left = 10
      Top = 8
      Width = 160
      Height = 17
      Caption = '&Monochrome (b&&w)'
      TabOrder = 0
    end
  end
  object btnOk: TRzButton
    Left = 262
    Top = 402
    Width = 75
    Height = 25
    Caption = 'OK'
    Default = True
    ModalResult = 1
    TabOrder = 7
  end
  object btnCancel: TRzButton
    Left = 343
    Top = 402
    Width = 75
    Height = 25
    Cancel = True
    Caption = 'Cancel'
    ModalResult = 2
    TabOrder = 8
  end
end
