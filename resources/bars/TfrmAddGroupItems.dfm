object frmAddGroupItems: TfrmAddGroupItems
  Left = 250
  Top = 150
  Width = 364
  Height = 400
  Caption = 'Add Group Items'
  Color = clBtnFace
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  Position = poScreenCenter
  PixelsPerInch = 96
  object Panel1: TPanel
    Left = 0
    Top = 333
    Width = 356
    Height = 40
    Align = alBottom
    BevelOuter = bvNone
    TabOrder = 1
    object btnOk: TButton
      Left = 192
      Top = 8
      Width = 75
      Height = 23
      Anchors = [akTop, akRight]
      Caption = 'OK'
      Default = True
      ModalResult = 1
      TabOrder = 0
    end
    object btnCancel: TButton
      Left = 272
      Top = 8
      Width = 75
      Height = 23
      Anchors = [akTop, akRight]
      Cancel = True
      Caption = 'Cancel'
      ModalResult = 2
      TabOrder = 1
    end
  end
  object lbGroupItems: TdxBarGroupItemsList
    Left = 5
    Top = 5
    Width = 346
    Height = 328
    Anchors = [akLeft, akTop, akRight, akBottom]
    MultiSelect = True
    Style = lbOwnerDrawVariable
    TabOrder = 0
    OnDrawItem = lbGroupItemsDrawItem
    OnMeasureItem = lbGroupItemsMeasureItem
  end
end
