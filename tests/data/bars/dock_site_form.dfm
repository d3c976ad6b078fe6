object frmDockSiteTest: TfrmDockSiteTest
  Left = 30
  Top = 30
  ParentColor = False
  Color = clBtnFace
  ParentFont = False
  Font.Height = -11
  Font.Name = 'Tahoma'
  Caption = 'Dock sites'
  ClientHeight = 260
  ClientWidth = 420
  BorderStyle = bsNone
  PixelsPerInch = 96
  object BarDockControl1: TdxBarDockControl
    Left = 0
    Top = 0
    Width = 27
    Height = 260
    Align = dalLeft
    Anchors = [akLeft, akTop, akBottom]
    ParentFont = True
    TabOrder = 1
    BarManager = BarManager1
  end
  object pnlList: TPanel
    Left = 120
    Top = 80
    Width = 200
    Height = 120
    ParentColor = True
    ParentFont = True
    TabOrder = 0
    ParentBackground = False
  end
  object BarManager1: TdxBarManager
    Bars = <
      item
        Caption = 'Side'
        DockControl = BarDockControl1
        DockedDockControl = BarDockControl1
        ItemLinks = <
          item
            Item = btnFirst
            Visible = True
          end
          item
            Item = btnSecond
            Visible = True
          end>
        Name = 'Side'
        OneOnRow = True
        Visible = True
      end>
    Categories.Strings = (
      'Default')
    Categories.ItemsVisibles = (
      2)
    Categories.Visibles = (
      True)
    PopupMenuLinks = <
      item
        Control = pnlList
        PopupMenu = pmList
        OnAction = ListPopupAction
      end>
    UseSystemFont = True
    DockControlHeights = (
      0
      0
      0
      0)
    object btnFirst: TdxBarButton
      Caption = 'First'
      Category = 0
      Hint = 'First'
      Visible = ivAlways
    end
    object btnSecond: TdxBarButton
      Caption = 'Second'
      Category = 0
      Hint = 'Second'
      Visible = ivAlways
    end
  end
  object pmList: TdxBarPopupMenu
    BarManager = BarManager1
    ItemLinks = <
      item
        Item = btnFirst
        Visible = True
      end>
  end
end
