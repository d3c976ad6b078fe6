object frmPalettePrompt: TfrmPalettePrompt
  Left = 300
  Top = 200
  BorderIcons = [biSystemMenu]
  BorderStyle = bsDialog
  Caption = 'Palettes'
  ClientHeight = 217
  ClientWidth = 400
  Color = clBtnFace
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  Position = poOwnerFormCenter
  OnCreate = FormCreate
  PixelsPerInch = 96
  object pgcPalettes: TRzPageControl
    Left = 8
    Top = 8
    Width = 384
    Height = 168
    ActivePage = tabAnimation
    TabOrder = 0
    object tabAnimation: TRzTabSheet
      Caption = 'Animation Palette(s)'
      object lblMaxColorsAnimation: TLabel
        Left = 12
        Top = 15
        Caption = '&Maximum number of colors'
        FocusControl = cboMaxColorsAnimation
      end
      object cboMaxColorsAnimation: TRzComboBox
        Left = 168
        Top = 11
        Width = 65
        Height = 21
        Style = csDropDownList
        Items.Strings = (
          '256'
          '128'
          '64'
          '32'
          '16'
          '8')
        ItemIndex = 0
        TabOrder = 0
      end
      object optAnimationSelf: TRzRadioButton
        Left = 12
        Top = 46
        Width = 296
        Height = 17
        Caption = 'Use self-&adapting global palette (Optimized)'
        TabOrder = 1
      end
      object optAnimationNS: TRzRadioButton
        Left = 12
        Top = 70
        Width = 296
        Height = 17
        Caption = 'Use &Netscape (216 colors) web safe color cube'
        TabOrder = 2
      end
      object optAnimationLocal: TRzRadioButton
        Left = 12
        Top = 94
        Width = 296
        Height = 17
        Caption = 'Use &local palette for new frames'
        Checked = True
        TabOrder = 3
        TabStop = True
      end
    end
    object tabImport: TRzTabSheet
      Caption = 'Importing Hi-Color images (24 bit)'
      object lblMaxColorsDither: TLabel
        Left = 12
        Top = 15
        Caption = '&Maximum number of colors'
        FocusControl = cboMaxColorsDither
      end
      object cboMaxColorsDither: TRzComboBox
        Left = 168
        Top = 11
        Width = 65
        Height = 21
        Style = csDropDownList
        Items.Strings = (
          '256'
          '128'
          '64'
          '32'
          '16'
          '8')
        ItemIndex = 0
        TabOrder = 0
      end
      object lblDitherMethod: TLabel
        Left = 12
        Top = 46
        Caption = 'Dither Method'
      end
      object optDitherNearest: TRzRadioButton
        Left = 24
        Top = 66
        Width = 284
        Height = 17
        Caption = 'N&earest (no error diffusion)'
        TabOrder = 1
      end
      object optDitherFloyd: TRzRadioButton
        Left = 24
        Top = 90
        Width = 284
        Height = 17
        Caption = '&FloydSteinberg (high quality color mapping)'
        Checked = True
        TabOrder = 2
        TabStop = True
      end
    end
  end
  object chkDefault: TRzCheckBox
    Left = 8
    Top = 188
    Width = 160
    Height = 17
    Caption = 'Make this the &Default'
    TabOrder = 1
  end
  object btnOk: TRzButton
    Left = 236
    Top = 184
    Width = 75
    Height = 25
    Caption = 'OK'
    Default = True
    TabOrder = 2
    OnClick = btnOkClick
  end
  object btnCancel: TRzButton
    Left = 317
    Top = 184
    Width = 75
    Height = 25
    Cancel = True
    Caption = 'Cancel'
    TabOrder = 3
    OnClick = btnCancelClick
  end
end
