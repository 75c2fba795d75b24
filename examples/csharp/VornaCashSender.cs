// vorna.cash.sender for C# hosts: the declarations of include/vorna/cash_sender.h
// as P/Invoke, and the text conversions a host needs around them.
//
// - The library is 32-bit: build the host with PlatformTarget x86, not AnyCPU.
// - Every function is stdcall and exported under its plain name (ExactSpelling).
// - Texts cross in both directions as NUL-terminated Windows-1251 bytes,
//   whatever the ANSI code page of the machine: strings go in as pointers that
//   Cp1251Texts makes and come out through Cp1251Texts.Read, never through
//   CharSet.Ansi marshalling (that uses the system's code page).
// - On .NET Core and .NET 5 or later, call
//   Encoding.RegisterProvider(CodePagesEncodingProvider.Instance) once at start:
//   only then does Encoding.GetEncoding(1251) exist there.
// - One call at a time: a host with several threads guards every call with one lock.
using System;
using System.Collections.Generic;
using System.Runtime.InteropServices;
using System.Text;

namespace Vorna.Cash
{
    // One named parameter of a call: two pointers to Windows-1251 texts.
    [StructLayout(LayoutKind.Sequential)]
    public struct VornaParameterPair
    {
        public IntPtr Key;
        public IntPtr Value;
    }

    // The result codes of every function.
    public static class VornaResult
    {
        public const int Success = 0;
        public const int NotConnected = 1;
        public const int ShiftExpired = 2;
        public const int ShiftClosed = 3;
        public const int PaperOut = 5;
        public const int SaleReceiptOpen = 6;
        public const int ReturnReceiptOpen = 7;
        public const int OtherError = 99;
        public const int InvalidParameter = 100;
    }

    // The keys the library reads (exact, case-sensitive; the last pair with a key wins).
    public static class VornaKey
    {
        public const string IbsCode = "IBS_CODE";
        public const string TypeOper = "TYPE_OPER";
        public const string Short = "SHORT";
        public const string Contact = "CONTACT";
        public const string TypeOpl = "TYPE_OPL";
        public const string NdsCode = "NDS_CODE";
        // CONTACT is a phone number when it starts with this character, else an e-mail.
        public const char ContactPhoneMark = '\x01';
    }

    // Windows-1251 copies of host strings in unmanaged memory, alive until
    // Dispose: the library only reads them during the call.
    public sealed class Cp1251Texts : IDisposable
    {
        static readonly Encoding Cp1251 = Encoding.GetEncoding(1251);
        readonly List<IntPtr> owned = new List<IntPtr>();

        public IntPtr Add(string text)
        {
            byte[] bytes = Cp1251.GetBytes(text + "\0");
            IntPtr memory = Marshal.AllocHGlobal(bytes.Length);
            owned.Add(memory);
            Marshal.Copy(bytes, 0, memory, bytes.Length);
            return memory;
        }

        public VornaParameterPair Pair(string key, string value)
        {
            VornaParameterPair pair;
            pair.Key = Add(key);
            pair.Value = Add(value);
            return pair;
        }

        // The pairs as the library takes them; null for none.
        public VornaParameterPair[] Pairs(IList<KeyValuePair<string, string>> pairs)
        {
            if (pairs == null || pairs.Count == 0) return null;
            var result = new VornaParameterPair[pairs.Count];
            for (int i = 0; i < pairs.Count; i++) result[i] = Pair(pairs[i].Key, pairs[i].Value);
            return result;
        }

        // A Windows-1251 text of the library as a string; null for a null pointer.
        public static string Read(IntPtr text)
        {
            if (text == IntPtr.Zero) return null;
            int length = 0;
            while (Marshal.ReadByte(text, length) != 0) length++;
            byte[] bytes = new byte[length];
            Marshal.Copy(text, bytes, 0, length);
            return Cp1251.GetString(bytes);
        }

        public void Dispose()
        {
            foreach (IntPtr memory in owned) Marshal.FreeHGlobal(memory);
            owned.Clear();
        }
    }

    public static class VornaCashSender
    {
        public const string Library = "vorna.cash.sender.dll";

        // The result texts (resultText) are constants of the library: read them,
        // never free them. The information text of checkInfoKKT belongs to the
        // host: give it back with releaseInfoKKT, never with Marshal.FreeHGlobal.

        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern int sendCheque(IntPtr unc, uint summa, uint comis,
            [In] VornaParameterPair[] pairs, int count, out IntPtr resultText, int print);

        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern int checkKKT(out IntPtr resultText);

        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern int checkLinkKKT(out IntPtr resultText,
            [In] VornaParameterPair[] pairs, int count);

        // info gets a new text on every result (empty unless 0): release it
        // after every call (CheckInfo does).
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern int checkInfoKKT(out IntPtr resultText,
            [In] VornaParameterPair[] pairs, int count, ref IntPtr info);

        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern void releaseInfoKKT(IntPtr info);

        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern int zReport([In] VornaParameterPair[] pairs, int count);

        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern int xReport([In] VornaParameterPair[] pairs, int count);

        // Registers one payment (summa and comis in kopecks); resultText gets
        // the code's text, empty on success.
        public static int SendCheque(string unc, uint summa, uint comis,
            IList<KeyValuePair<string, string>> pairs, bool print, out string resultText)
        {
            using (var texts = new Cp1251Texts())
            {
                VornaParameterPair[] native = texts.Pairs(pairs);
                IntPtr text;
                int code = sendCheque(texts.Add(unc), summa, comis, native,
                    native == null ? 0 : native.Length, out text, print ? 1 : 0);
                resultText = Cp1251Texts.Read(text);
                return code;
            }
        }

        // Checks the register; info gets its information text (empty or null
        // when the check failed), and the library's copy is released here.
        public static int CheckInfo(IList<KeyValuePair<string, string>> pairs,
            out string resultText, out string info)
        {
            using (var texts = new Cp1251Texts())
            {
                VornaParameterPair[] native = texts.Pairs(pairs);
                IntPtr text;
                IntPtr nativeInfo = IntPtr.Zero;
                int code = checkInfoKKT(out text, native, native == null ? 0 : native.Length,
                    ref nativeInfo);
                resultText = Cp1251Texts.Read(text);
                try
                {
                    info = Cp1251Texts.Read(nativeInfo);
                }
                finally
                {
                    releaseInfoKKT(nativeInfo);
                }
                return code;
            }
        }
    }
}
