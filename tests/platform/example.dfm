object frmExample: TTestForm
  Left = 120
  Top = 80
  Caption = 'Example'#13#10'form'
  Kind = kdBig
  Options = [toFirst, toThird]
  Ratio = 1.25
  Color = clBtnFace
  Font.Name = 'Tahoma'
  Font.Size = 8
  Font.Style = [fsBold, fsItalic]
  OnClick = FormClick
  Extra = (
    0
    0
    49
    0)
  object pnlTop: TTestComp
    Left = -4
    Top = $10
    Caption = 'It''s a panel with a long caption that is split into two pieces ' +
      'because it is longer than sixty-four characters'
    Buddy = btnOK
    Color = $00FF8000
    Items = <
      item
        Caption = 'First'
        Width = 50
      end
      item
        Caption = 'Second'
      end>
    object btnOK: TTestComp
      Caption = 'OK'
      Buddy = frmExample
      OnClick = btnOKClick
      OnChange = btnOKChange
      Glyph.Data = {
        424D0A000000DEADBEEF00FF}
    end
  end
  object lstNames: TTestComp
    Lines.Strings = (
      'alpha'
      'beta'#9'tab')
  end
end
