object dxBarItemAddEditor: TdxBarItemAddEditor
  Left = 300
  Top = 200
  BorderStyle = bsDialog
  Caption = 'Add Item'
  ClientHeight = 150
  ClientWidth = 263
  Color = clBtnFace
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  FormStyle = fsStayOnTop
  Position = poScreenCenter
  OnShow = FormShow
  PixelsPerInch = 96
  object Label1: TLabel
    Left = 8
    Top = 12
    Width = 27
    Height = 13
    Caption = 'Type:'
  end
  object Label2: TLabel
    Left = 8
    Top = 40
    Width = 45
    Height = 13
    Caption = 'Category:'
  end
  object Label3: TLabel
    Left = 8
    Top = 68
    Width = 31
    Height = 13
    Caption = 'Name:'
  end
  object Label4: TLabel
    Left = 8
    Top = 96
    Width = 39
    Height = 13
    Caption = 'Caption:'
  end
  object ComboBox1: TComboBox
    Left = 64
    Top = 8
    Width = 191
    Height = 21
    Style = csDropDownList
    DropDownCount = 100
    TabOrder = 0
    OnChange = ComboBox1Click
  end
  object ComboBox2: TComboBox
    Left = 64
    Top = 36
    Width = 191
    Height = 21
    Style = csDropDownList
    TabOrder = 1
  end
  object Edit1: TEdit
    Left = 64
    Top = 64
    Width = 191
    Height = 21
    TabOrder = 2
  end
  object Edit2: TEdit
    Left = 64
    Top = 92
    Width = 191
    Height = 21
    TabOrder = 3
    Text = 'New Item'
  end
  object BOk: TButton
    Left = 100
    Top = 120
    Width = 75
    Height = 23
    Caption = 'OK'
    Default = True
    ModalResult = 1
    TabOrder = 4
    OnClick = BOkClick
  end
  object BCancel: TButton
    Left = 180
    Top = 120
    Width = 75
    Height = 23
    Cancel = True
    Caption = 'Cancel'
    ModalResult = 2
    TabOrder = 5
  end
end
