object frmCustomizeBars: TfrmCustomizeBars
  Left = 60
  Top = 60
  ParentColor = False
  Color = clBtnFace
  ParentFont = False
  Font.Height = -11
  Font.Name = 'Tahoma'
  Caption = 'Customize bars'
  ClientHeight = 260
  ClientWidth = 440
  BorderStyle = bsNone
  PixelsPerInch = 96
  object BarManager1: TdxBarManager
    Bars = <
      item
        Caption = 'Menu'
        DockingStyle = dsTop
        IsMainMenu = True
        ItemLinks = <
          item
            Item = subMore
            Visible = True
          end>
        Name = 'Menu'
        OneOnRow = True
        Visible = True
      end
      item
        Caption = 'Tools'
        DockingStyle = dsTop
        ItemLinks = <
          item
            Item = btnA
            Visible = True
          end
          item
            Item = btnB
            Visible = True
          end
          item
            BeginGroup = True
            Item = btnC
            Visible = True
          end
          item
            Item = btnD
            Visible = True
          end>
        Name = 'Tools'
        OneOnRow = True
        Row = 1
        Visible = True
      end
      item
        Caption = 'Extra'
        DockingStyle = dsTop
        ItemLinks = <
          item
            Item = btnE
            Visible = True
          end
          item
            Item = btnF
            Visible = True
          end>
        Name = 'Extra'
        OneOnRow = True
        Row = 2
        Visible = True
      end
      item
        Caption = 'Secret'
        DockingStyle = dsBottom
        Hidden = True
        ItemLinks = <
          item
            Item = btnF
            Visible = True
          end>
        Name = 'Secret'
        Visible = False
      end>
    Categories.Strings = (
      'Default')
    Categories.ItemsVisibles = (
      2)
    Categories.Visibles = (
      True)
    UseSystemFont = True
    OnClickItem = BarManager1ClickItem
    object btnA: TdxBarButton
      Caption = 'Alpha'
      Category = 0
      Visible = ivAlways
      OnClick = btnAClick
    end
    object btnB: TdxBarButton
      Caption = 'Beta'
      Category = 0
      Visible = ivAlways
    end
    object btnC: TdxBarButton
      Caption = 'Gamma'
      Category = 0
      Visible = ivAlways
    end
    object btnD: TdxBarButton
      Caption = 'Delta'
      Category = 0
      Visible = ivAlways
    end
    object btnE: TdxBarButton
      Caption = 'Epsilon'
      Category = 0
      Visible = ivAlways
    end
    object btnF: TdxBarButton
      Caption = 'Zeta'
      Category = 0
      Visible = ivAlways
    end
    object subMore: TdxBarSubItem
      Caption = 'More'
      Category = 0
      Visible = ivAlways
      ItemLinks = <
        item
          Item = btnE
          Visible = True
        end
        item
          Item = btnF
          Visible = True
        end>
    end
  end
end
