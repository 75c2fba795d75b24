{ vorna.cash.sender for Delphi hosts: the declarations of
  include/vorna/cash_sender.h, and the text conversions a host needs around them.

  - The library is 32-bit: the host must be a 32-bit program.
  - Every function is stdcall and exported under its plain name.
  - Texts cross in both directions as NUL-terminated Windows-1251 bytes,
    whatever the ANSI code page of the machine: pass Cp1251String values
    (PAnsiChar(S)) and read the library's texts with FromCp1251.
  - Result texts are constants of the library: read them, never free them.
    The information text of checkInfoKKT belongs to the host: give it back
    with releaseInfoKKT, never with FreeMem.
  - One call at a time: a host with several threads guards every call with
    one lock.

  Delphi 2009 or later; Free Pascal in Delphi mode (-Mdelphi). }
unit VornaCashSender;

interface

const
  VornaDll = 'vorna.cash.sender.dll';

  { The result codes of every function. }
  VORNA_RESULT_SUCCESS = 0;
  VORNA_RESULT_NOT_CONNECTED = 1;
  VORNA_RESULT_SHIFT_EXPIRED = 2;
  VORNA_RESULT_SHIFT_CLOSED = 3;
  VORNA_RESULT_PAPER_OUT = 5;
  VORNA_RESULT_SALE_RECEIPT_OPEN = 6;
  VORNA_RESULT_RETURN_RECEIPT_OPEN = 7;
  VORNA_RESULT_OTHER_ERROR = 99;
  VORNA_RESULT_INVALID_PARAMETER = 100;

  { The keys the library reads (exact, case-sensitive; the last pair with a
    key wins). }
  VORNA_KEY_IBS_CODE = 'IBS_CODE';
  VORNA_KEY_TYPE_OPER = 'TYPE_OPER';
  VORNA_KEY_SHORT = 'SHORT';
  VORNA_KEY_CONTACT = 'CONTACT';
  VORNA_KEY_TYPE_OPL = 'TYPE_OPL';
  VORNA_KEY_NDS_CODE = 'NDS_CODE';
  { CONTACT is a phone number when it starts with this character, else an e-mail. }
  VORNA_CONTACT_PHONE_MARK = #1;

type
  { Strings for the library: assigning a string converts it to Windows-1251. }
  Cp1251String = type AnsiString(1251);

  { One named parameter of a call: two pointers to Windows-1251 texts. }
  TVornaParameterPair = record
    Key: PAnsiChar;
    Value: PAnsiChar;
  end;
  PVornaParameterPair = ^TVornaParameterPair;

function sendCheque(unc: PAnsiChar; summa, comis: Cardinal; pairs: PVornaParameterPair;
  count: Integer; var resultText: PAnsiChar; print: Integer): Integer; stdcall;
  external VornaDll;
function checkKKT(var resultText: PAnsiChar): Integer; stdcall; external VornaDll;
function checkLinkKKT(var resultText: PAnsiChar; pairs: PVornaParameterPair;
  count: Integer): Integer; stdcall; external VornaDll;
{ info gets a new text on every result (empty unless 0): release it after
  every call. }
function checkInfoKKT(var resultText: PAnsiChar; pairs: PVornaParameterPair;
  count: Integer; var info: PAnsiChar): Integer; stdcall; external VornaDll;
procedure releaseInfoKKT(info: PAnsiChar); stdcall; external VornaDll;
function zReport(pairs: PVornaParameterPair; count: Integer): Integer; stdcall;
  external VornaDll;
function xReport(pairs: PVornaParameterPair; count: Integer): Integer; stdcall;
  external VornaDll;

{ A Windows-1251 text of the library as a string; '' for nil. }
function FromCp1251(Text: PAnsiChar): string;

implementation

function FromCp1251(Text: PAnsiChar): string;
var
  Bytes: RawByteString;
  Count: Integer;
begin
  Result := '';
  if Text = nil then
    Exit;
  Count := 0;
  while Text[Count] <> #0 do
    Inc(Count);
  SetString(Bytes, Text, Count);
  { The bytes are Windows-1251 whatever the system's code page is. }
  SetCodePage(Bytes, 1251, False);
  Result := string(Bytes);
end;

end.
