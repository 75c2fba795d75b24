// SampleHost: the smallest banking host of vorna.cash.sender, in C#.
//
//   SampleHost.exe [UNC [KOPECKS]]     (defaults: 4711 and 12345, i.e. 123.45 RUB)
//
// It checks the register and prints its information, then registers one
// payment (a sale, "Услуга", VAT code 1105, cash, commission 15.00, printed).
// Each line tells the call, its result code and the code's text; the exit
// code is the result code of the last call.
//
// Build for Windows (32-bit, beside VornaCashSender.cs):
//   csc /platform:x86 /out:SampleHost.exe SampleHost.cs VornaCashSender.cs
using System;
using System.Collections.Generic;
using Vorna.Cash;

static class SampleHost
{
    static string Line(string call, int code, string text)
    {
        return string.IsNullOrEmpty(text) ? call + ": " + code : call + ": " + code + " " + text;
    }

    static int Main(string[] args)
    {
        string unc = args.Length > 0 ? args[0] : "4711";
        uint summa = args.Length > 1 ? uint.Parse(args[1]) : 12345u;
        string text, info;

        int code = VornaCashSender.CheckInfo(null, out text, out info);
        Console.WriteLine(Line("checkInfoKKT", code, text));
        if (!string.IsNullOrEmpty(info)) Console.WriteLine("register: " + info);
        if (code != VornaResult.Success) return code;

        var pairs = new List<KeyValuePair<string, string>>
        {
            new KeyValuePair<string, string>(VornaKey.TypeOper, "P"),
            new KeyValuePair<string, string>(VornaKey.Short, "Услуга"),
            new KeyValuePair<string, string>(VornaKey.NdsCode, "1105"),
            new KeyValuePair<string, string>(VornaKey.TypeOpl, "NAL"),
        };
        code = VornaCashSender.SendCheque(unc, summa, 1500u, pairs, true, out text);
        Console.WriteLine(Line("sendCheque", code, text));
        return code;
    }
}
