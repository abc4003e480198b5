{ A host written in Pascal, as most of the plug-in's hosts are Delphi programs: the
  compiler makes the register call and manages the WideString (a BSTR) itself, through
  the declaration the README gives host developers.

  pashost CMD [TEXT]     one call with TEXT (the command line's characters)
  pashost --file PATH    one call a line of a UTF-8 file: the command, a space, and the
                         text to the end of the line (TABs, NULs and any character kept)

  Each call prints "result: N" and "text: " with the answer in quotes, in UTF-8. The
  exit code is 0 once every call was made, 2 for a wrong command line or file.
  No SysUtils: the program needs only the units of the system library. }
program pashost;

{$mode delphi}
{$apptype console}

function Dll_ParamsW(Cmd: Integer; var Params: WideString): Integer; external 'CanonEosPlugin.dll';

procedure Fail(const Why: string);
begin
  WriteLn(ErrOutput, 'pashost: ', Why);
  Halt(2);
end;

function ParseCommand(const S: RawByteString): Integer;
var
  Code: Integer;
begin
  Val(S, Result, Code);
  if (S = '') or (Code <> 0) then
    Fail('not a command number: ' + S);
end;

procedure Call(Cmd: Integer; const Text: UnicodeString);
var
  Params: WideString;
  R: Integer;
begin
  Params := Text;
  R := Dll_ParamsW(Cmd, Params);
  WriteLn('result: ', R);
  WriteLn('text: "', UTF8Encode(UnicodeString(Params)), '"');
  Flush(Output);
end;

function ReadWholeFile(const Path: string): RawByteString;
var
  F: file;
  Got: Integer;
begin
  Result := '';
  Assign(F, Path);
  FileMode := 0; { read only: the file may be open elsewhere }
  {$I-} Reset(F, 1); {$I+}
  if IOResult <> 0 then
    Fail('cannot read ' + Path);
  SetLength(Result, FileSize(F));
  if Length(Result) > 0 then
    BlockRead(F, Result[1], Length(Result), Got)
  else
    Got := 0;
  Close(F);
  SetLength(Result, Got);
end;

procedure CallLine(const Line: RawByteString);
var
  Space: Integer;
begin
  Space := Pos(' ', Line);
  if Space = 0 then
    Call(ParseCommand(Line), '')
  else
    Call(ParseCommand(Copy(Line, 1, Space - 1)), UTF8Decode(Copy(Line, Space + 1, Length(Line))));
end;

procedure CallFile(const Path: string);
var
  Data, Line: RawByteString;
  Start, Stop: Integer;
begin
  Data := ReadWholeFile(Path);
  Start := 1;
  if Copy(Data, 1, 3) = #$EF#$BB#$BF then
    Start := 4;
  while Start <= Length(Data) do
  begin
    Stop := Start;
    while (Stop <= Length(Data)) and (Data[Stop] <> #10) do
      Inc(Stop);
    Line := Copy(Data, Start, Stop - Start);
    if (Line <> '') and (Line[Length(Line)] = #13) then
      SetLength(Line, Length(Line) - 1);
    if Line <> '' then
      CallLine(Line);
    Start := Stop + 1;
  end;
end;

begin
  SetTextCodePage(Output, CP_UTF8);
  if (ParamCount = 2) and (ParamStr(1) = '--file') then
    CallFile(ParamStr(2))
  else if ParamCount = 1 then
    Call(ParseCommand(ParamStr(1)), '')
  else if ParamCount = 2 then
    Call(ParseCommand(ParamStr(1)), UnicodeString(ParamStr(2)))
  else
    Fail('usage: pashost CMD [TEXT] | pashost --file PATH');
end.
