object frmLayout: TForm
  Left = 40
  Top = 40
  ParentColor = False
  Color = clBtnFace
  ParentFont = False
  Font.Height = -11
  Font.Name = 'Tahoma'
  Caption = 'Layout'
  ClientHeight = 200
  ClientWidth = 360
  BorderStyle = bsNone
  PixelsPerInch = 96
  object dcSide: TdxBarDockControl
    Left = 0
    Top = 0
    Width = 27
    Height = 200
    Align = dalLeft
    ParentFont = True
    TabOrder = 0
    BarManager = BarManager1
  end
  object BarManager1: TdxBarManager
    Bars = <
      item
        Caption = 'File'
        DockingStyle = dsTop
        ItemLinks = <
          item
            Item = btnNew
            Visible = True
          end
          item
            Item = btnOpen
            Visible = True
          end
          item
            BeginGroup = True
            Item = subMore
            Visible = True
          end>
        Name = 'File'
        OneOnRow = True
        Visible = True
      end
      item
        Caption = 'Edit'
        DockingStyle = dsTop
        ItemLinks = <
          item
            Item = btnCut
            Visible = True
          end
          item
            Item = btnPaste
            Visible = True
          end>
        Name = 'Edit'
        OneOnRow = True
        Row = 1
        Visible = True
      end>
    Categories.Strings = (
      'Default')
    Categories.ItemsVisibles = (
      2)
    Categories.Visibles = (
      True)
    UseSystemFont = True
    DockControlHeights = (
      0
      0
      52
      0)
    object btnNew: TdxBarButton
      Caption = 'New'
      Category = 0
      Visible = ivAlways
    end
    object btnOpen: TdxBarButton
      Caption = 'Open'
      Category = 0
      Visible = ivAlways
    end
    object btnCut: TdxBarButton
      Caption = 'Cut'
      Category = 0
      Visible = ivAlways
    end
    object btnPaste: TdxBarButton
      Caption = 'Paste'
      Category = 0
      Visible = ivAlways
    end
    object subMore: TdxBarSubItem
      Caption = 'More'
      Category = 0
      Visible = ivAlways
      ItemLinks = <
        item
          Item = btnCut
          Visible = True
        end
        item
          Item = btnPaste
          Visible = True
        end>
    end
  end
end
