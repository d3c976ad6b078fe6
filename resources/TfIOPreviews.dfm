object fIOPreviews: TfIOPreviews
  Left = 200
  Top = 120
  BorderIcons = [biSystemMenu]
  BorderStyle = bsDialog
  Caption = 'Parameters preview'
  ClientHeight = 392
  ClientWidth = 522
  Color = clBtnFace
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  Position = poScreenCenter
  OnActivate = FormActivate
  OnCreate = FormCreate
  OnDestroy = FormDestroy
  PixelsPerInch = 96
  object Panel2: TPanel
    Left = 0
    Top = 0
    Width = 410
    Height = 182
    BevelOuter = bvNone
    TabOrder = 0
    object Label1: TLabel
      Left = 8
      Top = 4
      Caption = 'Source:'
    end
    object RuzozAd1: TRuzozAdView
      Left = 8
      Top = 20
      Width = 191
      Height = 135
      Cursor = 1782
      OnViewChange = RuzozAd1ViewChange
    end
    object Label2: TLabel
      Left = 208
      Top = 4
      Caption = 'Result:'
    end
    object RuzozAd2: TRuzozAdView
      Left = 208
      Top = 20
      Width = 191
      Height = 135
      Cursor = 1780
    end
    object ProgressBar1: TProgressBar
      Left = 8
      Top = 162
      Width = 391
      Height = 14
      TabOrder = 2
    end
  end
  object Button1: TButton
    Left = 424
    Top = 24
    Width = 89
    Height = 25
    Caption = 'OK'
    Default = True
    ModalResult = 1
    TabOrder = 1
    OnClick = Button1Click
  end
  object Button2: TButton
    Left = 424
    Top = 56
    Width = 89
    Height = 25
    Cancel = True
    Caption = 'Cancel'
    ModalResult = 2
    TabOrder = 2
  end
  object Button3: TButton
    Left = 424
    Top = 88
    Width = 89
    Height = 25
    Caption = '&Preview'
    TabOrder = 3
    OnClick = Button3Click
  end
  object Button4: TButton
    Left = 424
    Top = 120
    Width = 89
    Height = 25
    Caption = '&Apply'
    TabOrder = 4
    OnClick = Button4Click
  end
  object SpeedButton1: TSpeedButton
    Left = 424
    Top = 152
    Width = 25
    Height = 25
    Hint = 'Lock preview'
    AllowAllUp = True
    GroupIndex = 1
    Caption = 'L'
    ParentShowHint = False
    ShowHint = True
    OnClick = SpeedButton1Click
  end
  object PageControl1: TPageControl
    Left = 8
    Top = 184
    Width = 506
    Height = 200
    ActivePage = TabSheetJPEG1
    HotTrack = True
    TabOrder = 5
    TabPosition = tpBottom
    OnChange = PageControl1Change
    OnChanging = PageControl1Changing
    object TabSheetJPEG1: TTabSheet
      Caption = 'JPEG'
      object Label23: TLabel
        Left = 8
        Top = 8
        Caption = '&Quality:'
      end
      object Edit22: TEdit
        Left = 8
        Top = 24
        Width = 41
        Height = 21
        OnChange = Edit22Change
      end
      object TrackBar13: TTrackBar
        Left = 52
        Top = 22
        Width = 280
        Height = 28
        Max = 100
        Frequency = 5
        OnChange = TrackBar13Change
      end
      object GroupBox5: TGroupBox
        Left = 8
        Top = 56
        Width = 324
        Height = 100
        Caption = ' Advanced '
        object Label26: TLabel
          Left = 8
          Top = 18
          Caption = '&DCT method:'
        end
        object ComboBox1: TComboBox
          Left = 8
          Top = 34
          Width = 97
          Height = 21
          Style = csDropDownList
          ItemHeight = 13
          OnChange = TrackBar13Change
          Items.Strings = (
            'ISLOW'
            'IFAST'
            'FLOAT')
        end
        object Label27: TLabel
          Left = 112
          Top = 18
          Caption = '&Smoothing factor:'
        end
        object Edit23: TEdit
          Left = 112
          Top = 34
          Width = 41
          Height = 21
          OnChange = Edit22Change
        end
        object UpDown11: TUpDown
          Left = 153
          Top = 34
          Width = 15
          Height = 21
          Associate = Edit23
          Max = 100
        end
        object Label57: TLabel
          Left = 200
          Top = 18
          Caption = 'P&hotometric:'
        end
        object ComboBox13: TComboBox
          Left = 200
          Top = 34
          Width = 113
          Height = 21
          Style = csDropDownList
          ItemHeight = 13
          OnChange = TrackBar13Change
          Items.Strings = (
            'RGB'
            'GrayScale'
            'YCbCr'
            'CMYK'
            'YCbCrK')
        end
        object CheckBox2: TCheckBox
          Left = 8
          Top = 70
          Width = 140
          Height = 17
          Caption = '&Optimal Huffman'
          TabOrder = 0
          OnClick = TrackBar13Change
        end
        object CheckBox3: TCheckBox
          Left = 160
          Top = 70
          Width = 120
          Height = 17
          Caption = 'P&rogressive'
          TabOrder = 0
          OnClick = TrackBar13Change
        end
      end
      object Label3: TLabel
        Left = 340
        Top = 120
        Caption = 'Original size:'
      end
      object Label4: TLabel
        Left = 340
        Top = 136
        Caption = '---'
      end
      object Label9: TLabel
        Left = 412
        Top = 120
        Caption = 'Compressed size:'
      end
      object Label11: TLabel
        Left = 412
        Top = 136
        Caption = '---'
      end
    end
    object TabSheetJPEG2: TTabSheet
      Caption = 'JPEG'
      object Label72: TLabel
        Left = 8
        Top = 8
        Caption = '&Quality:'
      end
      object Edit16: TEdit
        Left = 8
        Top = 24
        Width = 41
        Height = 21
        OnChange = Edit16Change
      end
      object TrackBar2: TTrackBar
        Left = 52
        Top = 22
        Width = 280
        Height = 28
        Max = 100
        Frequency = 5
        OnChange = TrackBar2Change
      end
      object Label73: TLabel
        Left = 8
        Top = 61
        Caption = 'Original size:'
      end
      object Label74: TLabel
        Left = 8
        Top = 77
        Caption = '---'
      end
      object Label75: TLabel
        Left = 120
        Top = 61
        Caption = 'Compressed size:'
      end
      object Label76: TLabel
        Left = 120
        Top = 77
        Caption = '---'
      end
    end
    object TabSheetTIFF1: TTabSheet
      Caption = 'TIFF'
      object Label5: TLabel
        Left = 8
        Top = 8
        Caption = '&Compression:'
      end
      object ComboBox2: TComboBox
        Left = 8
        Top = 24
        Width = 121
        Height = 21
        Style = csDropDownList
        ItemHeight = 13
        OnClick = ComboBox2Click
        Items.Strings = (
          'UNCOMPRESSED'
          'CCITT1D'
          'G3FAX1D'
          'G3FAX2D'
          'G4FAX'
          'LZW'
          'OLDJPEG'
          'JPEG'
          'PACKBITS')
      end
      object Label6: TLabel
        Left = 136
        Top = 8
        Caption = '&Image index:'
      end
      object Edit1: TEdit
        Left = 136
        Top = 24
        Width = 49
        Height = 21
        Text = '0'
        OnChange = ComboBox2Click
      end
      object UpDown1: TUpDown
        Left = 185
        Top = 24
        Width = 15
        Height = 21
        Associate = Edit1
        Max = 1000
      end
      object Label7: TLabel
        Left = 8
        Top = 52
        Caption = 'P&hotometric:'
      end
      object ComboBox3: TComboBox
        Left = 8
        Top = 68
        Width = 121
        Height = 21
        Style = csDropDownList
        ItemHeight = 13
        OnClick = ComboBox2Click
        Items.Strings = (
          'WHITEISZERO/Gray'
          'BLACKISZERO/Gray'
          'RGB'
          'RGBPALETTE'
          'TRANSPMASK'
          'CMYK'
          'YCBCR'
          'CIELAB')
      end
      object Label19: TLabel
        Left = 136
        Top = 52
        Caption = 'C&olors:'
      end
      object ComboBox4: TComboBox
        Left = 136
        Top = 68
        Width = 65
        Height = 21
        Style = csDropDownList
        ItemHeight = 13
        OnClick = ComboBox2Click
        Items.Strings = (
          'B/W'
          '16'
          '256'
          '65536'
          '16M')
      end
      object GroupBox1: TGroupBox
        Left = 208
        Top = 2
        Width = 284
        Height = 136
        Caption = ' Scanned document info '
        object Label8: TLabel
          Left = 8
          Top = 16
          Caption = 'H&oriz. Position (inch):'
        end
        object Edit2: TEdit
          Left = 8
          Top = 30
          Width = 60
          Height = 21
          OnChange = ComboBox2Click
        end
        object Label10: TLabel
          Left = 140
          Top = 16
          Caption = '&Vert. Position (inch):'
        end
        object Edit3: TEdit
          Left = 140
          Top = 30
          Width = 60
          Height = 21
          OnChange = ComboBox2Click
        end
        object Label12: TLabel
          Left = 8
          Top = 56
          Caption = '&Name:'
        end
        object Edit4: TEdit
          Left = 8
          Top = 70
          Width = 124
          Height = 21
          OnChange = ComboBox2Click
        end
        object Label13: TLabel
          Left = 140
          Top = 56
          Caption = '&Description:'
        end
        object Edit5: TEdit
          Left = 140
          Top = 70
          Width = 136
          Height = 21
          OnChange = ComboBox2Click
        end
        object Label14: TLabel
          Left = 8
          Top = 96
          Caption = 'P&age name:'
        end
        object Edit6: TEdit
          Left = 8
          Top = 110
          Width = 124
          Height = 21
          OnChange = ComboBox2Click
        end
        object Label15: TLabel
          Left = 140
          Top = 96
          Caption = 'Page N&umber:'
        end
        object Edit7: TEdit
          Left = 140
          Top = 110
          Width = 40
          Height = 21
          OnChange = ComboBox2Click
        end
        object Label16: TLabel
          Left = 186
          Top = 114
          Caption = 'o&f'
        end
        object Edit8: TEdit
          Left = 200
          Top = 110
          Width = 40
          Height = 21
          OnChange = ComboBox2Click
        end
      end
      object Label17: TLabel
        Left = 8
        Top = 120
        Caption = 'Original size:'
      end
      object Label18: TLabel
        Left = 8
        Top = 136
        Caption = '---'
      end
      object Label22: TLabel
        Left = 110
        Top = 120
        Caption = 'Compressed size:'
      end
      object Label24: TLabel
        Left = 110
        Top = 136
        Caption = '---'
      end
    end
    object TabSheetTIFF2: TTabSheet
      Caption = 'TIFF'
      object Label81: TLabel
        Left = 8
        Top = 8
        Caption = '&Compression:'
      end
      object ComboBox16: TComboBox
        Left = 8
        Top = 24
        Width = 121
        Height = 21
        Style = csDropDownList
        ItemHeight = 13
        OnChange = ComboBox16Change
        Items.Strings = (
          'Uncompressed'
          'CCITT1D'
          'G3Fax1D'
          'G3Fax2D'
          'G4Fax'
          'LZW'
          'PackBits'
          'Jpeg')
      end
      object Label82: TLabel
        Left = 144
        Top = 8
        Caption = 'C&olors:'
      end
      object ComboBox17: TComboBox
        Left = 144
        Top = 24
        Width = 97
        Height = 21
        Style = csDropDownList
        ItemHeight = 13
        OnChange = ComboBox16Change
        Items.Strings = (
          '2'
          '16'
          '256'
          '16777216')
      end
      object Label83: TLabel
        Left = 8
        Top = 61
        Caption = 'Original size:'
      end
      object Label84: TLabel
        Left = 8
        Top = 77
        Caption = '---'
      end
      object Label85: TLabel
        Left = 120
        Top = 61
        Caption = 'Compressed size:'
      end
      object Label86: TLabel
        Left = 120
        Top = 77
        Caption = '---'
      end
    end
    object TabSheetGIF1: TTabSheet
      Caption = 'GIF'
      object Label20: TLabel
        Left = 8
        Top = 8
        Caption = '&Image index:'
      end
      object Edit9: TEdit
        Left = 8
        Top = 24
        Width = 49
        Height = 21
        Text = '0'
        OnChange = ComboBox5Click
      end
      object UpDown2: TUpDown
        Left = 57
        Top = 24
        Width = 15
        Height = 21
        Associate = Edit9
        Max = 1000
      end
      object Label21: TLabel
        Left = 80
        Top = 8
        Caption = '&Colors:'
      end
      object ComboBox5: TComboBox
        Left = 80
        Top = 24
        Width = 73
        Height = 21
        Style = csDropDownList
        ItemHeight = 13
        OnClick = ComboBox5Click
        Items.Strings = (
          'B/W'
          '4'
          '8'
          '16'
          '32'
          '64'
          '128'
          '256')
      end
      object CheckBox4: TCheckBox
        Left = 8
        Top = 56
        Width = 97
        Height = 17
        Caption = '&Transparent:'
        TabOrder = 0
        OnClick = ComboBox5Click
      end
      object Label34: TLabel
        Left = 110
        Top = 58
        Caption = 'T&ransparent color:'
      end
      object Panel3: TPanel
        Left = 210
        Top = 54
        Width = 25
        Height = 21
        BevelOuter = bvLowered
        Color = clBlack
        Cursor = crHandPoint
        OnClick = Panel3Click
      end
      object CheckBox5: TCheckBox
        Left = 8
        Top = 84
        Width = 97
        Height = 17
        Caption = 'I&nterlaced:'
        TabOrder = 0
        OnClick = ComboBox5Click
      end
      object Label35: TLabel
        Left = 110
        Top = 86
        Caption = '&Background:'
      end
      object Panel4: TPanel
        Left = 210
        Top = 82
        Width = 25
        Height = 21
        BevelOuter = bvLowered
        Color = clBlack
        Cursor = crHandPoint
        OnClick = Panel4Click
      end
      object GroupBox2: TGroupBox
        Left = 248
        Top = 2
        Width = 244
        Height = 104
        Caption = ' Advanced '
        object Label33: TLabel
          Left = 8
          Top = 20
          Caption = '&Delay time:'
        end
        object Edit12: TEdit
          Left = 110
          Top = 16
          Width = 49
          Height = 21
          Text = '0'
          OnChange = ComboBox5Click
        end
        object Label36: TLabel
          Left = 164
          Top = 20
          Caption = '1/100 s'
        end
        object Label31: TLabel
          Left = 8
          Top = 48
          Caption = '&Horiz. Position:'
        end
        object Edit10: TEdit
          Left = 110
          Top = 44
          Width = 49
          Height = 21
          Text = '0'
          OnChange = ComboBox5Click
        end
        object Label32: TLabel
          Left = 8
          Top = 76
          Caption = '&Vert. Position:'
        end
        object Edit11: TEdit
          Left = 110
          Top = 72
          Width = 49
          Height = 21
          Text = '0'
          OnChange = ComboBox5Click
        end
      end
      object Label25: TLabel
        Left = 8
        Top = 120
        Caption = 'Original size:'
      end
      object Label28: TLabel
        Left = 8
        Top = 136
        Caption = '---'
      end
      object Label29: TLabel
        Left = 120
        Top = 120
        Caption = 'Compressed size:'
      end
      object Label30: TLabel
        Left = 120
        Top = 136
        Caption = '---'
      end
    end
    object TabSheetGIF2: TTabSheet
      Caption = 'GIF'
      object Label87: TLabel
        Left = 8
        Top = 8
        Caption = '&Colors:'
      end
      object ComboBox18: TComboBox
        Left = 8
        Top = 24
        Width = 73
        Height = 21
        Style = csDropDownList
        ItemHeight = 13
        OnChange = ComboBox18Change
        Items.Strings = (
          'B/W'
          '4'
          '8'
          '16'
          '32'
          '64'
          '128'
          '256')
      end
      object Label88: TLabel
        Left = 8
        Top = 61
        Caption = 'Original size:'
      end
      object Label89: TLabel
        Left = 8
        Top = 77
        Caption = '---'
      end
      object Label90: TLabel
        Left = 120
        Top = 61
        Caption = 'Compressed size:'
      end
      object Label91: TLabel
        Left = 120
        Top = 77
        Caption = '---'
      end
    end
    object TabSheetBMP1: TTabSheet
      Caption = 'BMP'
      object Label37: TLabel
        Left = 8
        Top = 8
        Caption = '&Compression:'
      end
      object ComboBox6: TComboBox
        Left = 8
        Top = 24
        Width = 121
        Height = 21
        Style = csDropDownList
        ItemHeight = 13
        OnChange = ComboBox6Change
        Items.Strings = (
          'UNCOMPRESSED'
          'RLE')
      end
      object Label38: TLabel
        Left = 144
        Top = 8
        Caption = 'C&olors:'
      end
      object ComboBox7: TComboBox
        Left = 144
        Top = 24
        Width = 97
        Height = 21
        Style = csDropDownList
        ItemHeight = 13
        OnChange = ComboBox6Change
        Items.Strings = (
          'B/W'
          '16'
          '256'
          '65536'
          '16M'
          '16M (32bit)')
      end
      object Label39: TLabel
        Left = 8
        Top = 120
        Caption = 'Original size:'
      end
      object Label40: TLabel
        Left = 8
        Top = 136
        Caption = '---'
      end
      object Label41: TLabel
        Left = 120
        Top = 120
        Caption = 'Compressed size:'
      end
      object Label42: TLabel
        Left = 120
        Top = 136
        Caption = '---'
      end
    end
    object TabSheetPCX1: TTabSheet
      Caption = 'PCX'
      object Label43: TLabel
        Left = 8
        Top = 8
        Caption = '&Compression:'
      end
      object ComboBox8: TComboBox
        Left = 8
        Top = 24
        Width = 121
        Height = 21
        Style = csDropDownList
        ItemHeight = 13
        OnChange = ComboBox8Change
        Items.Strings = (
          'UNCOMPRESSED'
          'RLE')
      end
      object Label44: TLabel
        Left = 144
        Top = 8
        Caption = 'C&olors:'
      end
      object ComboBox9: TComboBox
        Left = 144
        Top = 24
        Width = 97
        Height = 21
        Style = csDropDownList
        ItemHeight = 13
        OnChange = ComboBox8Change
        Items.Strings = (
          'B/W'
          '16'
          '256'
          '16M')
      end
      object Label45: TLabel
        Left = 8
        Top = 120
        Caption = 'Original size:'
      end
      object Label46: TLabel
        Left = 8
        Top = 136
        Caption = '---'
      end
      object Label47: TLabel
        Left = 120
        Top = 120
        Caption = 'Compressed size:'
      end
      object Label48: TLabel
        Left = 120
        Top = 136
        Caption = '---'
      end
    end
    object TabSheetPNG1: TTabSheet
      Caption = 'PNG'
      object Label49: TLabel
        Left = 8
        Top = 8
        Caption = 'C&olors:'
      end
      object ComboBox10: TComboBox
        Left = 8
        Top = 24
        Width = 73
        Height = 21
        Style = csDropDownList
        ItemHeight = 13
        OnChange = ComboBox10Change
        Items.Strings = (
          'B/W'
          '256'
          '16M')
      end
      object Label54: TLabel
        Left = 96
        Top = 8
        Caption = '&Background:'
      end
      object Panel1: TPanel
        Left = 96
        Top = 24
        Width = 25
        Height = 21
        BevelOuter = bvLowered
        Color = clBlack
        Cursor = crHandPoint
        OnClick = Panel1Click
      end
      object GroupBox3: TGroupBox
        Left = 160
        Top = 2
        Width = 200
        Height = 104
        Caption = ' Advanced '
        object Label55: TLabel
          Left = 8
          Top = 18
          Caption = '&Filter'
        end
        object ComboBox11: TComboBox
          Left = 8
          Top = 32
          Width = 81
          Height = 21
          Style = csDropDownList
          ItemHeight = 13
          OnChange = ComboBox10Change
          Items.Strings = (
            'None'
            'Sub'
            'Paeth')
        end
        object CheckBox6: TCheckBox
          Left = 104
          Top = 34
          Width = 89
          Height = 17
          Caption = 'I&nterlaced:'
          TabOrder = 0
          OnClick = ComboBox10Change
        end
        object Label56: TLabel
          Left = 8
          Top = 58
          Caption = 'Co&mpression'
        end
        object ComboBox12: TComboBox
          Left = 8
          Top = 72
          Width = 81
          Height = 21
          Style = csDropDownList
          ItemHeight = 13
          OnChange = ComboBox10Change
          Items.Strings = (
            'None'
            '1'
            '2'
            '3'
            '4'
            '5'
            '6'
            '7'
            '8'
            'Max')
        end
      end
      object Label50: TLabel
        Left = 8
        Top = 120
        Caption = 'Original size:'
      end
      object Label51: TLabel
        Left = 8
        Top = 136
        Caption = '---'
      end
      object Label52: TLabel
        Left = 120
        Top = 120
        Caption = 'Compressed size:'
      end
      object Label53: TLabel
        Left = 120
        Top = 136
        Caption = '---'
      end
    end
    object TabSheetTGA1: TTabSheet
      Caption = 'TGA'
      object Label62: TLabel
        Left = 8
        Top = 8
        Caption = 'C&olors:'
      end
      object ComboBox14: TComboBox
        Left = 8
        Top = 24
        Width = 73
        Height = 21
        Style = csDropDownList
        ItemHeight = 13
        OnClick = ComboBox14Click
        Items.Strings = (
          'B/W'
          '256'
          '16M')
      end
      object Label63: TLabel
        Left = 96
        Top = 8
        Caption = '&Background:'
      end
      object Panel5: TPanel
        Left = 96
        Top = 24
        Width = 25
        Height = 21
        BevelOuter = bvLowered
        Color = clBlack
        Cursor = crHandPoint
        OnClick = Panel5Click
      end
      object CheckBox1: TCheckBox
        Left = 144
        Top = 26
        Width = 105
        Height = 17
        Caption = 'Compression:'
        TabOrder = 0
        OnClick = ComboBox14Click
      end
      object Label64: TLabel
        Left = 8
        Top = 56
        Caption = '&Name:'
      end
      object Edit13: TEdit
        Left = 8
        Top = 70
        Width = 150
        Height = 21
        OnChange = ComboBox14Click
      end
      object Label65: TLabel
        Left = 168
        Top = 56
        Caption = '&Description:'
      end
      object Edit14: TEdit
        Left = 168
        Top = 70
        Width = 200
        Height = 21
        OnChange = ComboBox14Click
      end
      object Label58: TLabel
        Left = 8
        Top = 120
        Caption = 'Original size:'
      end
      object Label59: TLabel
        Left = 8
        Top = 136
        Caption = '---'
      end
      object Label60: TLabel
        Left = 120
        Top = 120
        Caption = 'Compressed size:'
      end
      object Label61: TLabel
        Left = 120
        Top = 136
        Caption = '---'
      end
    end
    object TabSheetJ20001: TTabSheet
      Caption = 'JPEG2000'
      object Label66: TLabel
        Left = 8
        Top = 8
        Caption = '&Rate:'
      end
      object Edit15: TEdit
        Left = 8
        Top = 24
        Width = 41
        Height = 21
        OnChange = Edit15Change
      end
      object TrackBar1: TTrackBar
        Left = 52
        Top = 22
        Width = 280
        Height = 28
        Max = 1000
        Frequency = 20
        OnChange = TrackBar1Change
      end
      object Label71: TLabel
        Left = 344
        Top = 8
        Caption = 'P&hotometric:'
      end
      object ComboBox15: TComboBox
        Left = 344
        Top = 24
        Width = 97
        Height = 21
        Style = csDropDownList
        ItemHeight = 13
        OnChange = TrackBar1Change
        Items.Strings = (
          'GrayScale'
          'RGB'
          'YCbCr')
      end
      object Label67: TLabel
        Left = 8
        Top = 120
        Caption = 'Original size:'
      end
      object Label68: TLabel
        Left = 8
        Top = 136
        Caption = '---'
      end
      object Label69: TLabel
        Left = 120
        Top = 120
        Caption = 'Compressed size:'
      end
      object Label70: TLabel
        Left = 120
        Top = 136
        Caption = '---'
      end
    end
  end
  object ColorDialog1: TColorDialog
  end
end
