object frmPalette: TfrmPalette
  Left = 245
  Top = 160
  BorderIcons = [biSystemMenu]
  BorderStyle = bsDialog
  Caption = 'Transparent Color'
  ClientHeight = 337
  ClientWidth = 531
  Color = clBtnFace
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  Position = poScreenCenter
  Scaled = False
  OnCloseQuery = FormCloseQuery
  OnCreate = FormCreate
  OnShow = FormShow
  PixelsPerInch = 96
  object lblCaption: TLabel
    Left = 8
    Top = 8
    Width = 242
    Height = 26
    AutoSize = False
    Caption = 'Select a color from the color swatches or click on the image.'
    WordWrap = True
  end
  object bevTop: TBevel
    Left = 8
    Top = 40
    Width = 515
    Height = 2
    Shape = bsTopLine
  end
  object pbPalette: TPaintBox
    Left = 8
    Top = 48
    Width = 242
    Height = 242
    Color = clBtnFace
    ParentColor = False
    OnMouseDown = pbPaletteMouseDown
    OnMouseMove = pbPaletteMouseMove
    OnPaint = pbPalettePaint
  end
  object shpPicker: TShape
    Left = 9
    Top = 49
    Width = 15
    Height = 15
    Brush.Style = bsClear
    Pen.Color = clRed
    Pen.Width = 2
    Visible = False
  end
  object shpSpacer: TShape
    Left = 8
    Top = 290
    Width = 8
    Height = 39
    Visible = False
  end
  object bevBottom: TBevel
    Left = 8
    Top = 296
    Width = 515
    Height = 2
    Shape = bsTopLine
    Visible = False
  end
  object sbPreview: TScrollBox
    Left = 258
    Top = 48
    Width = 265
    Height = 241
    HorzScrollBar.Margin = 10
    VertScrollBar.Margin = 10
    Color = clBtnFace
    ParentColor = False
    TabOrder = 0
    Visible = False
    object pbImage: TPaintBox
      Left = 10
      Top = 10
      Width = 100
      Height = 100
      OnMouseDown = pbImageMouseDown
      OnPaint = pbImagePaint
    end
  end
  object pnlRGB: TPanel
    Left = 8
    Top = 298
    Width = 242
    Height = 72
    BevelOuter = bvNone
    TabOrder = 1
    Visible = False
    object lblRed: TLabel
      Left = 0
      Top = 5
      Caption = '&Red:'
      FocusControl = txtRed
    end
    object lblGreen: TLabel
      Left = 0
      Top = 29
      Caption = '&Green:'
      FocusControl = txtGreen
    end
    object lblBlue: TLabel
      Left = 0
      Top = 53
      Caption = '&Blue:'
      FocusControl = txtBlue
    end
    object shpPreview: TShape
      Left = 104
      Top = 2
      Width = 64
      Height = 68
    end
    object btnColorAdd: TSpeedButton
      Left = 176
      Top = 2
      Width = 66
      Height = 25
      Hint = 'Add Color|Adds a color to the color palette'
      Caption = '&Add'
      ParentShowHint = False
      ShowHint = True
      OnClick = btnColorAddClick
    end
    object btnColorDelete: TSpeedButton
      Left = 176
      Top = 33
      Width = 66
      Height = 25
      Hint = 'Delete Color|Deletes the selected color from the color palette'
      Caption = '&Delete'
      ParentShowHint = False
      ShowHint = True
      OnClick = btnColorDeleteClick
    end
    object txtRed: TEdit
      Left = 44
      Top = 2
      Width = 33
      Height = 21
      MaxLength = 3
      TabOrder = 0
      Text = '0'
      OnEnter = txtColorEnter
      OnExit = txtColorExit
      OnKeyPress = txtColorKeyPress
    end
    object udRed: TUpDown
      Left = 77
      Top = 2
      Width = 16
      Height = 21
      Associate = txtRed
      Max = 255
      TabOrder = 1
      Thousands = False
      OnClick = udColorClick
    end
    object txtGreen: TEdit
      Left = 44
      Top = 26
      Width = 33
      Height = 21
      MaxLength = 3
      TabOrder = 2
      Text = '0'
      OnEnter = txtColorEnter
      OnExit = txtColorExit
      OnKeyPress = txtColorKeyPress
    end
    object udGreen: TUpDown
      Left = 77
      Top = 26
      Width = 16
      Height = 21
      Associate = txtGreen
      Max = 255
      TabOrder = 3
      Thousands = False
      OnClick = udColorClick
    end
    object txtBlue: TEdit
      Left = 44
      Top = 50
      Width = 33
      Height = 21
      MaxLength = 3
      TabOrder = 4
      Text = '0'
      OnEnter = txtColorEnter
      OnExit = txtColorExit
      OnKeyPress = txtColorKeyPress
    end
    object udBlue: TUpDown
      Left = 77
      Top = 50
      Width = 16
      Height = 21
      Associate = txtBlue
      Max = 255
      TabOrder = 5
      Thousands = False
      OnClick = udColorClick
    end
  end
  object btnOK: TButton
    Left = 367
    Top = 304
    Width = 75
    Height = 25
    Caption = 'OK'
    Default = True
    ModalResult = 1
    TabOrder = 2
  end
  object btnCancel: TButton
    Left = 448
    Top = 304
    Width = 75
    Height = 25
    Cancel = True
    Caption = 'Cancel'
    ModalResult = 2
    TabOrder = 3
  end
end
