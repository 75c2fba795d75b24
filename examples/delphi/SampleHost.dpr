{ SampleHost: the smallest banking host of vorna.cash.sender, in Delphi.

    SampleHost.exe [UNC [KOPECKS]]     (defaults: 4711 and 12345, i.e. 123.45 RUB)

  It checks the register and prints its information, then registers one
  payment (a sale, 'Услуга', VAT code 1105, cash, commission 15.00, printed).
  Each line tells the call, its result code and the code's text; the exit code
  is the result code of the last call.

  Build: dcc32 SampleHost.dpr (beside VornaCashSender.pas), or with Free
  Pascal: fpc -Mdelphi SampleHost.dpr. The file is UTF-8 with a byte order
  mark, so both compilers read the Russian text right. }
program SampleHost;

{$APPTYPE CONSOLE}

uses
  {$IFDEF FPC}{$IFDEF UNIX}
  cwstring, { Free Pascal on Linux: code page conversions through the C library }
  {$ENDIF}{$ENDIF}
  SysUtils,
  VornaCashSender;

procedure Report(const Call: string; Code: Integer; Text: PAnsiChar);
begin
  if (Text = nil) or (Text^ = #0) then
    WriteLn(Call, ': ', Code)
  else
    WriteLn(Call, ': ', Code, ' ', FromCp1251(Text));
end;

var
  Unc, Service: Cp1251String;
  Summa: Cardinal;
  Pairs: array[0..3] of TVornaParameterPair;
  Text, Info: PAnsiChar;
  Code: Integer;
begin
  Unc := '4711';
  if ParamCount > 0 then
    Unc := Cp1251String(ParamStr(1));
  Summa := 12345;
  if ParamCount > 1 then
    Summa := StrToInt(ParamStr(2));

  Text := nil;
  Info := nil;
  Code := checkInfoKKT(Text, nil, 0, Info);
  Report('checkInfoKKT', Code, Text);
  if (Info <> nil) and (Info^ <> #0) then
    WriteLn('register: ', FromCp1251(Info));
  releaseInfoKKT(Info); { the text is the host's: give it back to the library }
  if Code <> VORNA_RESULT_SUCCESS then
  begin
    ExitCode := Code;
    Exit;
  end;

  Service := 'Услуга'; { converted to Windows-1251 by the assignment }
  Pairs[0].Key := VORNA_KEY_TYPE_OPER;
  Pairs[0].Value := 'P';
  Pairs[1].Key := VORNA_KEY_SHORT;
  Pairs[1].Value := PAnsiChar(Service);
  Pairs[2].Key := VORNA_KEY_NDS_CODE;
  Pairs[2].Value := '1105';
  Pairs[3].Key := VORNA_KEY_TYPE_OPL;
  Pairs[3].Value := 'NAL';
  Code := sendCheque(PAnsiChar(Unc), Summa, 1500, @Pairs[0], Length(Pairs), Text, 1);
  Report('sendCheque', Code, Text); { Text is the library's constant: never freed }
  ExitCode := Code;
end.
