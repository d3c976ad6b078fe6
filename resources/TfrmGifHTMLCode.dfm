object frmGifHTMLCode: TfrmGifHTMLCode
  Left = 300
  Top = 200
  BorderIcons = [biSystemMenu]
  BorderStyle = bsDialog
  Caption = 'HTML Code'
  ClientHeight = 331
  ClientWidth = 387
  Color = clBtnFace
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  Position = poOwnerFormCenter
  PixelsPerInch = 96
  object lblInstructions: TLabel
    Left = 8
    Top = 8
    Width = 371
    Height = 39
    AutoSize = False
    Caption = 
      'Fill in any extra image tag attributes you would like to include' +
      ' into the HTML code, then select the Copy button which will copy' +
      ' the HTML to the clipboard.'
    WordWrap = True
  end
  object lblHTML: TLabel
    Left = 8
    Top = 182
    Width = 57
    Height = 13
    Caption = '&HTML Code'
    FocusControl = txtHTML
  end
  object grpAttributes: TGroupBox
    Left = 8
    Top = 50
    Width = 371
    Height = 124
    Caption = 'Image Attributes'
    TabOrder = 0
    object lblFileName: TLabel
      Left = 12
      Top = 23
      Width = 50
      Height = 13
      Caption = '&File Name:'
      FocusControl = txtFileName
    end
    object lblLink: TLabel
      Left = 12
      Top = 48
      Width = 23
      Height = 13
      Caption = '&Link:'
      FocusControl = txtLink
    end
    object lblHint: TLabel
      Left = 12
      Top = 73
      Width = 75
      Height = 13
      Caption = 'Hin&t (Alt tag):'
      FocusControl = txtHint
    end
    object lblBorder: TLabel
      Left = 12
      Top = 98
      Width = 38
      Height = 13
      Caption = '&Border:'
      FocusControl = txtBorder
    end
    object txtFileName: TEdit
      Left = 100
      Top = 19
      Width = 259
      Height = 21
      Color = clBtnFace
      ReadOnly = True
      TabOrder = 0
    end
    object txtLink: TEdit
      Left = 100
      Top = 44
      Width = 259
      Height = 21
      TabOrder = 1
      OnChange = txtLinkChange
    end
    object txtHint: TEdit
      Left = 100
      Top = 69
      Width = 259
      Height = 21
      TabOrder = 2
      OnChange = txtLinkChange
    end
    object txtBorder: TEdit
      Left = 100
      Top = 94
      Width = 41
      Height = 21
      TabOrder = 3
      Text = '0'
      OnChange = txtLinkChange
    end
    object udBorder: TUpDown
      Left = 141
      Top = 94
      Width = 16
      Height = 21
      Associate = txtBorder
      TabOrder = 4
      Thousands = False
    end
  end
  object txtHTML: TMemo
    Left = 8
    Top = 198
    Width = 371
    Height = 92
    ScrollBars = ssVertical
    TabOrder = 1
  end
  object btnCopy: TButton
    Left = 178
    Top = 298
    Width = 120
    Height = 25
    Caption = '&Copy To Clipboard'
    TabOrder = 2
    OnClick = btnCopyClick
  end
  object btnCancel: TButton
    Left = 304
    Top = 298
    Width = 75
    Height = 25
    Caption = 'Close'
    TabOrder = 3
    OnClick = btnCancelClick
  end
end
