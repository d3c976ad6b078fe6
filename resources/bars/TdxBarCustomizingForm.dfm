object dxBarCustomizingForm: TdxBarCustomizingForm
  Left = 300
  Top = 150
  BorderIcons = [biSystemMenu]
  BorderStyle = bsDialog
  Caption = 'Customize'
  ClientHeight = 310
  ClientWidth = 366
  Color = clBtnFace
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  Position = poScreenCenter
  OnClose = FormClose
  PixelsPerInch = 96
  object Panel1: TPanel
    Left = 0
    Top = 274
    Width = 366
    Height = 36
    Align = alBottom
    BevelOuter = bvNone
    TabOrder = 1
    object BHelp: TSpeedButton
      Left = 8
      Top = 6
      Width = 24
      Height = 23
      Flat = True
      OnClick = BHelpClick
    end
    object BClose: TButton
      Left = 283
      Top = 6
      Width = 75
      Height = 23
      Cancel = True
      Caption = 'Close'
      Default = True
      ModalResult = 1
      TabOrder = 0
      OnClick = BCloseClick
    end
  end
  object PageControl: TPageControl
    Left = 8
    Top = 8
    Width = 350
    Height = 264
    ActivePage = TabSheet1
    TabOrder = 0
    object TabSheet1: TTabSheet
      Caption = ' Toolbars '
      object LabelToobars: TLabel
        Left = 8
        Top = 8
        Width = 45
        Height = 13
        Caption = 'Toolb&ars:'
      end
      object BarsListBoxPlace: TPanel
        Left = 8
        Top = 24
        Width = 226
        Height = 204
        BevelOuter = bvNone
        TabOrder = 0
      end
      object BBarNew: TButton
        Left = 244
        Top = 24
        Width = 90
        Height = 23
        Caption = '&New...'
        TabOrder = 1
        OnClick = BBarNewClick
      end
      object BBarRename: TButton
        Left = 244
        Top = 54
        Width = 90
        Height = 23
        Caption = 'R&ename...'
        TabOrder = 2
        OnClick = BBarRenameClick
      end
      object BBarDelete: TButton
        Left = 244
        Top = 84
        Width = 90
        Height = 23
        Caption = '&Delete'
        TabOrder = 3
        OnClick = BBarDeleteClick
      end
      object BBarReset: TButton
        Left = 244
        Top = 114
        Width = 90
        Height = 23
        Caption = '&Reset...'
        TabOrder = 4
        OnClick = BBarResetClick
      end
    end
    object TabSheet2: TTabSheet
      Caption = ' Commands '
      object LabelCategories: TLabel
        Left = 8
        Top = 8
        Width = 53
        Height = 13
        Caption = 'Cate&gories:'
        FocusControl = LCategories
      end
      object LabelCommands: TLabel
        Left = 130
        Top = 8
        Width = 55
        Height = 13
        Caption = 'Comman&ds:'
      end
      object LCategories: TListBox
        Left = 8
        Top = 24
        Width = 114
        Height = 152
        TabOrder = 0
        OnClick = LCategoriesClick
      end
      object LCommandsPlace: TPanel
        Left = 130
        Top = 24
        Width = 204
        Height = 152
        BevelOuter = bvNone
        TabOrder = 1
      end
      object LabelDescription: TLabel
        Left = 8
        Top = 184
        Width = 63
        Height = 13
        Caption = 'Description  '
      end
      object DescriptionLabel: TLabel
        Left = 8
        Top = 200
        Width = 326
        Height = 30
        AutoSize = False
        WordWrap = True
      end
    end
    object TabSheet3: TTabSheet
      Caption = ' Options '
      object StandardOptionsPanel: TPanel
        Left = 0
        Top = 0
        Width = 342
        Height = 236
        Align = alClient
        BevelOuter = bvNone
        TabOrder = 0
        object LabelMenuAnimations: TLabel
          Left = 8
          Top = 12
          Width = 82
          Height = 13
          Caption = '&Menu animations:'
          FocusControl = ComboBoxMenuAnimations
        end
        object ComboBoxMenuAnimations: TComboBox
          Left = 100
          Top = 8
          Width = 110
          Height = 21
          Style = csDropDownList
          TabOrder = 0
          OnChange = ComboBoxMenuAnimationsClick
        end
        object CBHint1: TCheckBox
          Left = 8
          Top = 40
          Width = 300
          Height = 17
          Caption = 'Show Tool&Tips on toolbars'
          TabOrder = 1
          OnClick = CBHint1Click
        end
        object CBHint2: TCheckBox
          Left = 24
          Top = 60
          Width = 284
          Height = 17
          Caption = 'Show s&hortcut keys in ToolTips'
          TabOrder = 2
          OnClick = CBHint2Click
        end
        object CBLargeIcons: TCheckBox
          Left = 8
          Top = 84
          Width = 300
          Height = 17
          Caption = '&Large icons'
          TabOrder = 3
          OnClick = CBLargeIconsClick
        end
      end
      object EnhancedOptionsPanel: TPanel
        Left = 0
        Top = 0
        Width = 342
        Height = 236
        Align = alClient
        BevelOuter = bvNone
        TabOrder = 1
        object Label3: TLabel
          Left = 8
          Top = 8
          Width = 160
          Height = 13
          Caption = 'Personalized Menus and Toolbars  '
        end
        object CBMenusShowRecentItemsFirst: TCheckBox
          Left = 16
          Top = 26
          Width = 310
          Height = 17
          Caption = 'Me&nus show recently used commands first'
          TabOrder = 0
          OnClick = CBMenusShowRecentItemsFirstClick
        end
        object CBShowFullMenusAfterDelay: TCheckBox
          Left = 32
          Top = 46
          Width = 294
          Height = 17
          Caption = 'Show f&ull menus after a short delay'
          TabOrder = 1
          OnClick = CBShowFullMenusAfterDelayClick
        end
        object BResetUsageData: TButton
          Left = 16
          Top = 70
          Width = 130
          Height = 23
          Caption = '&Reset my usage data'
          TabOrder = 2
          OnClick = BResetUsageDataClick
        end
        object Label2: TLabel
          Left = 8
          Top = 104
          Width = 30
          Height = 13
          Caption = 'Other  '
        end
        object CBLargeIconsEx: TCheckBox
          Left = 16
          Top = 122
          Width = 310
          Height = 17
          Caption = '&Large icons'
          TabOrder = 3
          OnClick = CBLargeIconsClick
        end
        object CBHint1Ex: TCheckBox
          Left = 16
          Top = 142
          Width = 310
          Height = 17
          Caption = 'Show Tool&Tips on toolbars'
          TabOrder = 4
          OnClick = CBHint1Click
        end
        object CBHint2Ex: TCheckBox
          Left = 32
          Top = 162
          Width = 294
          Height = 17
          Caption = 'Show s&hortcut keys in ToolTips'
          TabOrder = 5
          OnClick = CBHint2Click
        end
        object Label1: TLabel
          Left = 16
          Top = 190
          Width = 82
          Height = 13
          Caption = '&Menu animations:'
          FocusControl = ComboBoxMenuAnimationsEx
        end
        object ComboBoxMenuAnimationsEx: TComboBox
          Left = 108
          Top = 186
          Width = 110
          Height = 21
          Style = csDropDownList
          TabOrder = 6
          OnChange = ComboBoxMenuAnimationsClick
        end
      end
    end
  end
end
