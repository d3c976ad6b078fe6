object frmSubMenu: TForm
  Left = 20
  Top = 20
  ParentColor = False
  Color = clBtnFace
  ParentFont = False
  Font.Height = -11
  Font.Name = 'Tahoma'
  Caption = 'Menus'
  ClientHeight = 120
  ClientWidth = 300
  PixelsPerInch = 96
  object BarManager1: TdxBarManager
    Bars = <
      item
        Caption = 'Main'
        DockingStyle = dsTop
        IsMainMenu = True
        ItemLinks = <
          item
            Item = subFile
            Visible = True
          end
          item
            Item = subSave
            Visible = True
          end>
        MultiLine = True
        Name = 'Main'
        Visible = True
        WholeRow = True
      end>
    Categories.Strings = (
      'Menus')
    Categories.ItemsVisibles = (
      2)
    Categories.Visibles = (
      True)
    UseSystemFont = True
    DockControlHeights = (
      0
      0
      26
      0)
    object subFile: TdxBarSubItem
      Caption = '&File'
      Category = 0
      Visible = ivAlways
      ItemLinks = <
        item
          Item = btnOpen
          Visible = True
        end
        item
          Item = lstRecent
          Visible = True
        end
        item
          BeginGroup = True
          Item = btnExit
          Visible = True
        end>
    end
    object subSave: TdxBarSubItem
      Caption = 'Save'
      Category = 0
      Visible = ivAlways
      ShowCaption = False
      ItemLinks = <
        item
          Item = btnOpen
          Visible = True
        end>
    end
    object btnOpen: TdxBarButton
      Caption = '&Open...'
      Category = 0
      Hint = 'Open'
      Visible = ivAlways
      ShortCut = 16463
    end
    object btnExit: TdxBarButton
      Caption = 'E&xit'
      Category = 0
      Hint = 'Exit'
      Visible = ivAlways
    end
    object lstRecent: TdxBarListItem
      Caption = 'Recent'
      Category = 0
      Visible = ivAlways
      Items.Strings = (
        'one.gif'
        'two.gif')
      ShowCheck = True
    end
  end
end
