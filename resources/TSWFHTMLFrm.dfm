object SWFHTMLFrm: TSWFHTMLFrm
  Left = 300
  Top = 200
  BorderStyle = bsDialog
  Caption = 'HTML to insert for Flash Movies'
  ClientHeight = 325
  ClientWidth = 524
  Color = clBtnFace
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  Position = poOwnerFormCenter
  PixelsPerInch = 96
  object Label1: TLabel
    Left = 8
    Top = 8
    Width = 508
    Height = 39
    AutoSize = False
    Caption = 
      'Here is the HTML required for the Flash movie. Copy and paste it' +
      ' in the HTML page in which you want the movie to appear. You als' +
      'o need to upload the .swf file for it appear on your web site.'
    WordWrap = True
  end
  object mmoFlash: TMemo
    Left = 8
    Top = 52
    Width = 508
    Height = 232
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'Courier New'
    Font.Style = []
    ParentFont = False
    ReadOnly = True
    ScrollBars = ssBoth
    TabOrder = 0
    WordWrap = False
  end
  object BitBtn1: TBitBtn
    Left = 285
    Top = 292
    Width = 150
    Height = 25
    Caption = 'Copy &HTML to Clipboard'
    TabOrder = 1
    OnClick = BitBtn1Click
  end
  object Button1: TButton
    Left = 441
    Top = 292
    Width = 75
    Height = 25
    Caption = 'Close'
    Default = True
    ModalResult = 1
    TabOrder = 2
  end
end
