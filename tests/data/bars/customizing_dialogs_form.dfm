object frmCustomizeTest: TfrmCustomizeTest
  Left = 40
  Top = 420
  Caption = 'Customized'
  ClientHeight = 150
  ClientWidth = 480
  Color = clBtnFace
  Font.Height = -11
  Font.Name = 'Tahoma'
  object BarManager1: TdxBarManager
    Bars = <
      item
        Caption = 'Standard'
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
            Item = btnCut
            Visible = True
          end>
        Name = 'Standard'
        Visible = True
      end
      item
        AllowClose = False
        Caption = 'Locked'
        DockingStyle = dsTop
        ItemLinks = <
          item
            Item = btnCopy
            Visible = True
          end>
        Name = 'Locked'
        Row = 1
        Visible = True
      end
      item
        Caption = 'Secret'
        Hidden = True
        Name = 'Secret'
      end
      item
        Caption = 'Spare'
        Name = 'Spare'
      end>
    Categories.Strings = (
      'File'
      'Edit'
      'Internal')
    Categories.ItemsVisibles = (
      2
      2
      2)
    Categories.Visibles = (
      True
      True
      False)
    object btnNew: TdxBarButton
      Caption = '&New'
      Category = 0
      Description = 'Makes a new document'
      Visible = ivAlways
    end
    object btnOpen: TdxBarButton
      Caption = '&Open...'
      Category = 0
      Description = 'Opens a document'
      Visible = ivAlways
    end
    object btnNever: TdxBarButton
      Caption = 'Never shown'
      Category = 0
      Visible = ivNever
    end
    object subRecent: TdxBarSubItem
      Caption = '&Recent'
      Category = 0
      Visible = ivAlways
    end
    object btnCut: TdxBarButton
      Caption = 'Cu&t'
      Category = 1
      Visible = ivAlways
    end
    object btnCopy: TdxBarButton
      Caption = '&Copy'
      Category = 1
      Visible = ivAlways
    end
    object btnPaste: TdxBarButton
      Caption = '&Paste'
      ButtonStyle = bsDropDown
      Category = 1
      Visible = ivAlways
    end
    object btnTrace: TdxBarButton
      Caption = 'Trace'
      Category = 2
      Visible = ivAlways
    end
  end
end
