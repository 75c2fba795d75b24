// The payment journal along the whole road (vorna-cash, the sender, the ATOL
// driver, the emulated register): a payment sent again is answered from the
// journal, a doubt is settled against the fiscal storage, a host killed at any
// register call leaves a payment that the next send registers exactly once,
// and two hosts sending one transfer at once register it once.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sqlite3.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <thread>

#include "cash/sender/journal/journal_files.h"
#include "cash/sender/journal/payment_journal.h"
#include "common/platform/platform.h"
#include "fptr10/fptr10_api.h"
#include "tests/fullpath/fullpath_host.h"
#include "tests/power_cut/power_cut_events.h"
#include "tests/sanitizer_build.h"

namespace vorna {
namespace testing_support {
namespace {

using nlohmann::json;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr char kJournalSetting[] = "PaymentJournal=payments.sqlite\n";

// Another program on the counter with the register open, as a second
// counter program or another terminal session would have it: the register
// library of the host's folder, loaded into this test process.
class RegisterOpenInAnotherProgram {
public:
    explicit RegisterOpenInAnotherProgram(const std::string& library)
        : library_(platform::loadLibrary(library)) {
        if (!library_) return;
        create_ = reinterpret_cast<libfptr_create_fn>(symbol("libfptr_create"));
        open_ = reinterpret_cast<libfptr_open_fn>(symbol("libfptr_open"));
        close_ = reinterpret_cast<libfptr_close_fn>(symbol("libfptr_close"));
        destroy_ = reinterpret_cast<libfptr_destroy_fn>(symbol("libfptr_destroy"));
        if (create_ && open_ && close_ && destroy_ && create_(&handle_) == 0)
            opened_ = open_(handle_) == 0;
    }
    ~RegisterOpenInAnotherProgram() {
        if (handle_) {
            close_(handle_);
            destroy_(&handle_);
        }
        if (library_) platform::freeLibrary(library_);
    }
    RegisterOpenInAnotherProgram(const RegisterOpenInAnotherProgram&) = delete;
    RegisterOpenInAnotherProgram& operator=(const RegisterOpenInAnotherProgram&) = delete;
    bool opened() const { return opened_; }

private:
    void* symbol(const char* name) const { return platform::findSymbol(library_, name); }

    platform::LibraryHandle library_;
    libfptr_create_fn create_ = nullptr;
    libfptr_open_fn open_ = nullptr;
    libfptr_close_fn close_ = nullptr;
    libfptr_destroy_fn destroy_ = nullptr;
    libfptr_handle handle_ = nullptr;
    bool opened_ = false;
};

class JournalFullPath : public ::testing::Test {
protected:
    void SetUp() override {
        // The first payment of the day opens the shift; the cases run in an open one.
        PaymentRun opening = path.pay({}, {"yes"});
        ASSERT_EQ(opening.result, 0) << opening.output;
        journalPath = path.host.path(path.host.logs(), "payments.sqlite");
    }

    // Every receipt of the register for the worked example's sum.
    std::size_t receiptsOfThePayment() const {
        std::size_t n = 0;
        for (const json& r : path.registerFolder.receipts())
            n += r.value("total", 0.0) == 123.45 ? 1 : 0;
        return n;
    }

    std::string operationLog() const { return utf8(path.host.fileText(path.host.operationLog())); }
    // sendCheque's error log is in the host's current folder.
    std::string errorLog() const {
        return utf8(path.host.fileText(path.host.path(path.host.work(), "error.log")));
    }

    // A copy of the journal's database file alone, without its write-ahead
    // log: what a backup of that one file would hold.
    JournalCheck databaseFileAlone(const std::string& name) const {
        const std::string copy = path.host.path(path.host.work(), name);
        std::filesystem::copy_file(journalPath, copy,
                                   std::filesystem::copy_options::overwrite_existing);
        return checkJournal(copy);
    }

    void forgetJournal() const {
        for (const char* suffix : {"", "-wal", "-shm", ".lock"}) {
            std::error_code ignored;
            std::filesystem::remove(journalPath + suffix, ignored);
        }
    }

    // A payment in a host process whose SQLite runs on the power-cut VFS:
    // the power goes before the journal's write or sync number cutAt (0:
    // never); every write and sync is listed in the returned events.
    PaymentRun payOnPowerCutVfs(long cutAt, PowerCutEvents& events,
                                const std::vector<std::string>& morePairs = {}) {
        return onPowerCutVfs(cutAt, events, [&] { return path.pay(morePairs); });
    }

    // What run does, in host processes on the power-cut VFS.
    template <typename Run>
    auto onPowerCutVfs(long cutAt, PowerCutEvents& events, Run run) -> decltype(run()) {
        const std::string eventsFile = path.host.path(path.host.work(), "journal-events.txt");
        std::error_code ignored;
        std::filesystem::remove(eventsFile, ignored);
        platform::setEnvironmentVariable("LD_PRELOAD", VORNA_POWER_CUT_PRELOAD);
        platform::setEnvironmentVariable(kPowerCutAtVariable,
                                         cutAt > 0 ? std::to_string(cutAt) : "");
        platform::setEnvironmentVariable(kPowerCutEventsVariable, eventsFile);
        auto result = run();
        for (const char* name : {"LD_PRELOAD", kPowerCutAtVariable, kPowerCutEventsVariable})
            platform::setEnvironmentVariable(name, "");
        events = readPowerCutEvents(eventsFile);
        return result;
    }

    // The power-cut VFS is preloaded into a native host, and AddressSanitizer
    // must come first in a process.
    static bool powerCutVfsAvailable() {
        return std::string(VORNA_POWER_CUT_PRELOAD).size() > 0 && !sanitizerBuild();
    }

    FullPathHost path{{"--ffd", "1.2"}, kJournalSetting};
    std::string journalPath;
};

TEST_F(JournalFullPath, TheSamePaymentTwiceIsOneReceiptAnotherSumIsRefused) {
    // The opening payment registered 4711 already: sending it again prints nothing.
    const std::size_t before = path.registerFolder.receipts().size();
    PaymentRun again = path.pay();
    EXPECT_EQ(again.result, 0) << again.output;
    EXPECT_TRUE(again.newReceipts.empty());
    EXPECT_THAT(operationLog(), HasSubstr(utf8("уже зарегистрирован (журнал платежей): чек ФД №")));
    EXPECT_EQ(path.registerFolder.receipts().size(), before);

    ProcessResult other = path.run({"send", "--unc", "4711", "--sum", "12346", "--pair",
                                    "TYPE_OPER=P", "--pair", "SHORT=x", "--pair", "NDS_CODE=1105"});
    EXPECT_EQ(printedResult(other.output), 100) << other.output;
    EXPECT_THAT(errorLog(), HasSubstr(utf8("Перевод 4711 (TYPE_OPER=P) уже зарегистрирован на "
                                           "сумму 123.45")));
    EXPECT_THAT(errorLog(), HasSubstr(utf8("передана сумма 123.46")));
    EXPECT_EQ(path.registerFolder.receipts().size(), before);

    // A return of the same transfer is another payment.
    PaymentRun refund = path.pay({"TYPE_OPER=V"});
    EXPECT_EQ(refund.result, 0) << refund.output;
    EXPECT_EQ(refund.newReceipts.size(), 1u);

    ProcessResult listing = path.run({"journal", "--unc", "4711"});
    EXPECT_EQ(listing.exitCode, 0) << listing.output << listing.errors;
    EXPECT_THAT(listing.output, HasSubstr("unc=4711 type=P sum=123.45"));
    EXPECT_THAT(listing.output, HasSubstr("unc=4711 type=V sum=123.45"));
    EXPECT_THAT(listing.output, HasSubstr("state=registered"));
}

// A host that never unloads the sender (many do not) leaves the kept journal
// connection and every library's objects to the process's exit: the process
// exits, the journal is sound and answers the next host.
TEST_F(JournalFullPath, AHostThatExitsWithTheSenderLoadedExitsAndLeavesTheJournalSound) {
    ProcessResult kept =
        path.run({"send", "--unc", "4712", "--sum", "5000", "--pair", "SHORT=x", "--pair",
                  "NDS_CODE=1105", "--pair", "TYPE_OPER=P", "--keep-loaded"});
    EXPECT_EQ(kept.exitCode, 0) << kept.output << kept.errors;
    EXPECT_THAT(kept.output, HasSubstr("result: 0"));
    const std::size_t receipts = path.registerFolder.receipts().size();
    EXPECT_EQ(checkJournal(journalPath).verdict, JournalSoundness::sound);
    ProcessResult again = path.run({"send", "--unc", "4712", "--sum", "5000", "--pair", "SHORT=x",
                                    "--pair", "NDS_CODE=1105", "--pair", "TYPE_OPER=P"});
    EXPECT_THAT(again.output, HasSubstr("result: 0")) << again.output << again.errors;
    EXPECT_EQ(path.registerFolder.receipts().size(), receipts) << "answered from the journal";
}

TEST_F(JournalFullPath, TheLineLostAfterTheCloseIsSettledWhenItIsBack) {
    forgetJournal();
    path.registerFolder.addFault(
        {{"kind", "connection_lost"}, {"function", "libfptr_close_receipt"}, {"timing", "after"}});
    PaymentRun lost = path.pay();
    EXPECT_EQ(lost.result, 99) << lost.output;
    ASSERT_EQ(lost.newReceipts.size(), 1u) << "the register made the receipt fiscal";
    EXPECT_THAT(path.run({"journal", "--state", "in-doubt"}).output, HasSubstr("unc=4711"));

    // The line is still down: nothing can be known, nothing is registered.
    PaymentRun stillDown = path.pay();
    EXPECT_EQ(stillDown.result, 99) << stillDown.output;
    EXPECT_TRUE(stillDown.newReceipts.empty());
    EXPECT_THAT(stillDown.output, HasSubstr(utf8("неизвестно, зарегистрирован ли чек")));
    EXPECT_THAT(errorLog(), HasSubstr(utf8("Проверьте связь с ККТ")));
    ProcessResult unknown = path.run({"settle", "--unc", "4711"});
    EXPECT_EQ(unknown.exitCode % 256, 99) << unknown.output;
    EXPECT_THAT(unknown.output, HasSubstr("settle: unknown"));

    // The line is back: the doubt is settled, the receipt found, nothing printed.
    path.registerFolder.clearFaults();
    PaymentRun back = path.pay();
    EXPECT_EQ(back.result, 0) << back.output;
    EXPECT_TRUE(back.newReceipts.empty());
    EXPECT_EQ(receiptsOfThePayment(), 2u) << "the opening payment's and the settled one";
    EXPECT_THAT(operationLog(), HasSubstr(utf8("Сверка: документы")));
    EXPECT_THAT(path.run({"journal", "--unc", "4711"}).output, HasSubstr("state=registered"));
}

TEST_F(JournalFullPath, SettleFindsTheReceiptWithoutRegisteringAnything) {
    forgetJournal();
    path.registerFolder.addFault(
        {{"kind", "connection_lost"}, {"function", "libfptr_close_receipt"}, {"timing", "after"}});
    ASSERT_EQ(path.pay().result, 99);
    path.registerFolder.clearFaults();
    const std::size_t receipts = path.registerFolder.receipts().size();
    ProcessResult settled = path.run({"settle", "--unc", "4711"});
    EXPECT_EQ(settled.exitCode, 0) << settled.output << settled.errors;
    EXPECT_THAT(settled.output, HasSubstr("settle: registered:"));
    EXPECT_EQ(path.registerFolder.receipts().size(), receipts);
    EXPECT_THAT(path.run({"journal"}).output, HasSubstr("state=registered"));
    PaymentRun again = path.pay();
    EXPECT_EQ(again.result, 0);
    EXPECT_TRUE(again.newReceipts.empty());
}

TEST_F(JournalFullPath, RefusedForNoPaperThenSentWithPaperIsOneReceipt) {
    forgetJournal();
    path.registerFolder.addFault({{"kind", "paper_out"}, {"function", "libfptr_query_data"}});
    PaymentRun refused = path.pay();
    EXPECT_EQ(refused.result, 5) << refused.output;
    EXPECT_TRUE(refused.newReceipts.empty());
    EXPECT_THAT(path.run({"journal"}).output, HasSubstr("state=refused result=5"));
    path.registerFolder.clearFaults();
    PaymentRun paid = path.pay();
    EXPECT_EQ(paid.result, 0) << paid.output;
    EXPECT_EQ(paid.newReceipts.size(), 1u);
}

TEST_F(JournalFullPath, AKeyRunningInAnotherProcessIsRefusedAtOnce) {
    forgetJournal();
    {
        // This test process holds the payment as another host's send would.
        PaymentKeyLock other(journalPath, JournalKey{"", "4711", "P"});
        ASSERT_TRUE(other.held());
        PaymentRun busy = path.pay();
        EXPECT_EQ(busy.result, 99) << busy.output;
        EXPECT_TRUE(busy.newReceipts.empty());
        EXPECT_THAT(errorLog(), HasSubstr(utf8("уже проводится другим процессом")));
    }
    PaymentRun free = path.pay();
    EXPECT_EQ(free.result, 0) << free.output;
    EXPECT_EQ(free.newReceipts.size(), 1u);
}

TEST_F(JournalFullPath, TwoHostsSendingOneTransferAtOnceRegisterItOnce) {
    forgetJournal();
    const std::size_t before = receiptsOfThePayment();
    PaymentRun first, second;
    std::thread one([&] { first = path.pay(); });
    std::thread two([&] { second = path.pay(); });
    one.join();
    two.join();
    // The one that has the key holds the other off (99); the other's health
    // check after its work may hold the register when the first wants it
    // (refused as busy, 1): never two receipts, and sent again, one.
    EXPECT_LE(receiptsOfThePayment(), before + 1) << first.output << second.output;
    for (const PaymentRun* run : {&first, &second}) {
        EXPECT_TRUE(run->result == 0 || run->result == 1 || run->result == 99) << run->output;
        // Each host's own answer, not the other's mixed in.
        const std::size_t answer = run->output.find("result: ");
        ASSERT_NE(answer, std::string::npos) << run->output;
        EXPECT_EQ(run->output.find("result: ", answer + 1), std::string::npos) << run->output;
    }
    if (first.result == 1 || second.result == 1) {
        EXPECT_THAT(errorLog(), HasSubstr(utf8("ККТ занята")));
    }
    PaymentRun again = path.pay();
    EXPECT_EQ(again.result, 0) << again.output;
    EXPECT_EQ(receiptsOfThePayment(), before + 1) << first.output << second.output;
}

// The demo's settings: a relative log folder with the journal in it. A host's
// current directory moves (file dialogs, a service starting in System32); the
// journal stays beside the sender library.
TEST_F(JournalFullPath, ARepeatFromAnotherCurrentDirectoryIsAnsweredFromTheSameJournal) {
    path.host.writeFile("vorna.cash.sender.ini",
                        "UseLog=1\nLogDirectory=logs\nCashDriver=vorna.cash.atol10.dll\n"
                        "PaymentJournal=payments.sqlite\n");
    const std::vector<std::string> send4801 = {"send",         "--unc",   "4801",          "--sum",
                                               "12345",        "--comis", "1500",          "--pair",
                                               "SHORT=Услуга", "--pair",  "NDS_CODE=1105", "--pair",
                                               "TYPE_OPER=P",  "--pair",  "TYPE_OPL=NAL"};
    const std::size_t before = path.registerFolder.receipts().size();
    ProcessResult first = path.run(send4801);
    EXPECT_EQ(printedResult(first.output), 0) << first.output << first.errors;
    EXPECT_EQ(path.registerFolder.receipts().size(), before + 1);
    const std::string sep(1, platform::pathSeparator());
    const std::string journalFile =
        path.host.path(path.host.work(), "logs") + sep + "payments.sqlite";
    EXPECT_TRUE(path.host.exists(journalFile));

    // Another current directory, two sends of 4801 in one process: nothing printed.
    const std::string elsewhere =
        (std::filesystem::path(path.host.work()).parent_path() / "elsewhere").string();
    std::filesystem::create_directories(elsewhere);
    std::vector<std::string> twice = send4801;
    twice.push_back("--");
    twice.insert(twice.end(), send4801.begin(), send4801.end());
    ProcessResult repeated = path.host.runIn(elsewhere, twice);
    EXPECT_EQ(repeated.exitCode, 0) << repeated.output << repeated.errors;
    const std::size_t answered = repeated.output.find("result: 0");
    ASSERT_NE(answered, std::string::npos) << repeated.output;
    EXPECT_NE(repeated.output.find("result: 0", answered + 1), std::string::npos)
        << repeated.output;
    EXPECT_EQ(path.registerFolder.receipts().size(), before + 1);
    EXPECT_FALSE(path.host.exists(path.host.path(elsewhere, "logs") + sep + "payments.sqlite"));

    // The logs go where the settings say (the current directory's "logs");
    // the operation log names the journal's full path once in the process.
    const std::string logName = std::filesystem::path(path.host.operationLog()).filename().string();
    const std::string log =
        utf8(path.host.fileText(path.host.path(path.host.path(elsewhere, "logs"), logName)));
    EXPECT_THAT(log, HasSubstr(utf8("уже зарегистрирован (журнал платежей)")));
    const std::string named = utf8("Журнал платежей: ");
    const std::size_t at = log.find(named);
    ASSERT_NE(at, std::string::npos) << log;
    EXPECT_EQ(log.find(named, at + 1), std::string::npos) << "named once: " << log;
    const std::string line = log.substr(at + named.size(), log.find('\n', at) - at - named.size());
    const std::string tail = sep + "work" + sep + "logs" + sep + "payments.sqlite";
    ASSERT_GE(line.size(), tail.size()) << line;
    EXPECT_EQ(line.substr(line.size() - tail.size()), tail) << line;

    // So do bank IT's commands started elsewhere.
    ProcessResult listing = path.host.runIn(elsewhere, {"journal", "--unc", "4801"});
    EXPECT_EQ(listing.exitCode, 0) << listing.output << listing.errors;
    EXPECT_THAT(listing.output, HasSubstr("unc=4801 type=P sum=123.45 comis=15.00 nds=1105 "
                                          "state=registered"));
}

// A payment is known to the journal by its transfer number: without one it is
// refused before anything reaches the register; without the journal it is
// made as before.
TEST_F(JournalFullPath, APaymentWithoutATransferNumberIsRefusedWithTheJournalOn) {
    const std::size_t before = path.registerFolder.receipts().size();
    for (const char* unc : {"", "   "}) {
        ProcessResult refused =
            path.run({"send", "--unc", unc, "--sum", "12345", "--pair", "SHORT=Услуга", "--pair",
                      "NDS_CODE=1105", "--pair", "TYPE_OPER=P", "--pair", "TYPE_OPL=NAL"});
        EXPECT_EQ(printedResult(refused.output), 100) << "'" << unc << "' " << refused.output;
        EXPECT_THAT(refused.output, HasSubstr(utf8("требуется номер перевода (UNC)")));
        EXPECT_EQ(path.registerFolder.receipts().size(), before);
    }
    EXPECT_THAT(operationLog(),
                HasSubstr(utf8("Не указан номер перевода (UNC): при включённом журнале")));
    ProcessResult listing = path.run({"journal"});
    EXPECT_THAT(listing.output, HasSubstr(" 1 records")) << listing.output;

    path.host.writeSettings("vorna.cash.atol10.dll");
    ProcessResult unjournaled =
        path.run({"send", "--unc", "", "--sum", "12345", "--pair", "SHORT=Услуга", "--pair",
                  "NDS_CODE=1105", "--pair", "TYPE_OPER=P", "--pair", "TYPE_OPL=NAL"});
    EXPECT_EQ(printedResult(unjournaled.output), 0) << unjournaled.output;
    EXPECT_EQ(path.registerFolder.receipts().size(), before + 1);
}

// Bank IT's commands refuse what they cannot do as asked and say so in their
// exit code; a journal that cannot be opened gives one code for every command.
TEST_F(JournalFullPath, TheJournalCommandsSayWhatTheyDid) {
    ProcessResult notADay = path.run({"journal", "--since", "2026-02-30"});
    EXPECT_EQ(notADay.exitCode, 100) << notADay.output << notADay.errors;
    EXPECT_THAT(notADay.output, HasSubstr(utf8("не распознана")));

    ProcessResult twice = path.run({"journal", "--unc", "4711", "--unc", "4712"});
    EXPECT_EQ(twice.exitCode, 125) << twice.output;
    EXPECT_THAT(twice.errors, HasSubstr("--unc is given more than once"));
    ProcessResult twiceDate =
        path.run({"correct", "--unc", "4711", "--date", "2026-01-01", "--date", "2026-01-02"});
    EXPECT_EQ(twiceDate.exitCode, 125) << twiceDate.output;

    // The closing count is of the records listed.
    ProcessResult all = path.run({"journal"});
    EXPECT_THAT(all.output, HasSubstr(" 1 records")) << all.output;
    ProcessResult otherCode = path.run({"journal", "--code", "77"});
    EXPECT_EQ(otherCode.exitCode, 0) << otherCode.output << otherCode.errors;
    EXPECT_THAT(otherCode.output, Not(HasSubstr("unc=4711")));
    EXPECT_THAT(otherCode.output, HasSubstr(" 0 records")) << otherCode.output;

    ProcessResult unknown = path.run({"settle", "--unc", "9999"});
    EXPECT_EQ(unknown.exitCode, 100) << unknown.output << unknown.errors;
    EXPECT_THAT(unknown.output, HasSubstr("no record of unc=9999"));

    for (const char* command : {"journal", "settle", "correct"}) {
        ProcessResult badCode = path.run({command, "--unc", "4711", "--code", "../x"});
        EXPECT_EQ(badCode.exitCode, 100) << command << badCode.output << badCode.errors;
        EXPECT_THAT(badCode.output, HasSubstr(utf8("Код настроек IBS_CODE=../x отклонён")));
    }

    // Two folder levels missing: the journal cannot be made.
    const std::string sep(1, platform::pathSeparator());
    path.host.writeSettings("vorna.cash.atol10.dll",
                            "PaymentJournal=" + path.host.path(path.host.logs(), "a") + sep + "b" +
                                sep + "payments.sqlite\n");
    for (const char* command : {"journal", "settle", "correct"}) {
        ProcessResult closed = path.run({command, "--unc", "4711"});
        EXPECT_EQ(closed.exitCode, 3) << command << closed.output << closed.errors;
        EXPECT_THAT(closed.errors, HasSubstr(utf8("Журнал платежей"))) << command;
    }
    ProcessResult help = path.run({"--help"});
    EXPECT_THAT(help.output, HasSubstr("3    the payment journal cannot be opened"));
}

TEST_F(JournalFullPath, AnUnwritableJournalRefusesThePaymentADamagedOneIsMovedAside) {
    path.host.writeSettings("vorna.cash.atol10.dll",
                            "PaymentJournal=" + path.host.path(path.host.logs(), "a") +
                                platform::pathSeparator() + "b" + platform::pathSeparator() +
                                "payments.sqlite\n");
    PaymentRun refused = path.pay({"TYPE_OPER=V"});
    EXPECT_EQ(refused.result, 99) << refused.output;
    EXPECT_TRUE(refused.newReceipts.empty());
    EXPECT_THAT(errorLog(), HasSubstr(utf8("ошибка системы")));
    EXPECT_THAT(errorLog(), HasSubstr(utf8(path.host.path(path.host.logs(), "a"))));

    path.host.writeSettings("vorna.cash.atol10.dll", kJournalSetting);
    forgetJournal();
    std::ofstream(journalPath, std::ios::binary) << std::string(2048, 'z');
    PaymentRun paid = path.pay({"TYPE_OPER=V"});
    EXPECT_EQ(paid.result, 0) << paid.output;
    EXPECT_EQ(paid.newReceipts.size(), 1u);
    EXPECT_THAT(errorLog(), HasSubstr(utf8("повреждён")));
    bool kept = false;
    for (const auto& entry : std::filesystem::directory_iterator(path.host.logs()))
        kept |= entry.path().filename().string().rfind("payments.sqlite.damaged-", 0) == 0;
    EXPECT_TRUE(kept);
}

// The journal's files are safe to keep: the day's first payment copies the
// records into the database file (a checkpoint), so that this file alone
// holds them; journal --check reports the files and the records and exits 0,
// 2 for a damaged database, 3 when there is none; journal --backup writes a
// copy whole in one file.
TEST_F(JournalFullPath, TheJournalsFilesAreCheckedCopiedAndTheDatabaseHoldsTheRecords) {
    // The opening payment was the new journal's first of the day.
    JournalCheck alone = databaseFileAlone("alone-1.sqlite");
    EXPECT_EQ(alone.verdict, JournalSoundness::sound) << ::testing::PrintToString(alone.findings);
    EXPECT_EQ(alone.records, 1);
    EXPECT_THAT(operationLog(), HasSubstr(utf8("Журнал платежей: записи перенесены в файл")));

    ProcessResult check = path.run({"journal", "--check"});
    EXPECT_EQ(check.exitCode, 0) << check.output << check.errors;
    EXPECT_THAT(check.output, HasSubstr("database: " + journalPath + " "));
    EXPECT_THAT(check.output, HasSubstr("write-ahead log: " + journalPath + "-wal "));
    EXPECT_THAT(check.output, HasSubstr("records: 1"));
    EXPECT_THAT(check.output, HasSubstr("check: sound"));

    // A later payment of the day waits in the write-ahead log ...
    ASSERT_EQ(path.pay({"TYPE_OPER=V"}).result, 0);
    EXPECT_EQ(databaseFileAlone("alone-2.sqlite").records, 1);
    // ... and a backup holds it: one file, nothing beside it.
    const std::string backup = path.host.path(path.host.work(), "backup.sqlite");
    ProcessResult copied = path.run({"journal", "--backup", backup});
    EXPECT_EQ(copied.exitCode, 0) << copied.output << copied.errors;
    EXPECT_THAT(copied.output, HasSubstr("2 records"));
    for (const char* companion : {"-wal", "-shm", "-journal", ".partial"})
        EXPECT_FALSE(std::filesystem::exists(backup + companion)) << companion;
    const JournalCheck copy = checkJournal(backup);
    EXPECT_EQ(copy.verdict, JournalSoundness::sound);
    EXPECT_EQ(copy.records, 2);
    EXPECT_FALSE(std::filesystem::exists(backup + "-wal")) << "the check changed nothing";
    // Made again, the copy replaces the earlier one.
    EXPECT_EQ(path.run({"journal", "--backup", backup}).exitCode, 0);
    EXPECT_NE(path.run({"journal", "--backup", journalPath}).exitCode, 0)
        << "the journal itself is never overwritten";

    // The next day's first payment copies the day's records into the database file.
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(journalPath.c_str(), &db), SQLITE_OK);
        sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        EXPECT_EQ(
            sqlite3_exec(db, "UPDATE journal_meta SET value = value - 1 WHERE key = 'pruned_day'",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
        sqlite3_close(db);
    }
    ProcessResult next =
        path.run({"send", "--unc", "4712", "--sum", "12345", "--pair", "SHORT=x", "--pair",
                  "NDS_CODE=1105", "--pair", "TYPE_OPER=P", "--pair", "TYPE_OPL=NAL"});
    ASSERT_EQ(printedResult(next.output), 0) << next.output;
    EXPECT_EQ(databaseFileAlone("alone-3.sqlite").records, 3);

    // A database whose records were all in a deleted log holds no table: damaged.
    const std::string emptied = path.host.path(path.host.work(), "emptied.sqlite");
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(emptied.c_str(), &db), SQLITE_OK);
        sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    EXPECT_EQ(checkJournal(emptied).verdict, JournalSoundness::damaged);

    forgetJournal();
    std::ofstream(journalPath, std::ios::binary) << std::string(2048, 'z');
    ProcessResult damaged = path.run({"journal", "--check"});
    EXPECT_EQ(damaged.exitCode, 2) << damaged.output << damaged.errors;
    EXPECT_THAT(damaged.output, HasSubstr("check: damaged"));

    forgetJournal();
    ProcessResult missing = path.run({"journal", "--check"});
    EXPECT_EQ(missing.exitCode, 3) << missing.output << missing.errors;
    EXPECT_THAT(missing.output, HasSubstr("check: cannot open"));
    EXPECT_FALSE(std::filesystem::exists(journalPath)) << "the check creates nothing";
}

// Two programs on one counter: while another program has the register open
// (held as a serial or USB port is), a payment cannot get it. It ends with
// the register's code 1, both logs say that the register is busy, nothing is
// registered, and the journal keeps it refused: sent again once the register
// is free, it is registered once.
TEST_F(JournalFullPath, ARegisterOpenInAnotherProgramRefusesThePaymentToBeSentAgain) {
    const std::size_t before = path.registerFolder.receipts().size();
    {
        RegisterOpenInAnotherProgram other(
            path.host.path(path.host.work(), VORNA_REGISTER_LIBRARY));
        ASSERT_TRUE(other.opened());
        PaymentRun busy = path.pay({"TYPE_OPER=V"});
        EXPECT_EQ(busy.result, 1) << busy.output;
        EXPECT_TRUE(busy.newReceipts.empty());
        const std::string reason = utf8("ККТ занята: её порт открыт другой программой");
        EXPECT_THAT(errorLog(), HasSubstr(reason));
        EXPECT_THAT(operationLog(), HasSubstr(reason));
        EXPECT_THAT(operationLog(), HasSubstr(utf8("ошибка 3 [Порт занят]")));
        EXPECT_THAT(path.run({"journal", "--unc", "4711", "--state", "refused"}).output,
                    HasSubstr("type=V sum=123.45"));
        // The day's health check finds the register busy too: no verdict of
        // "no connection" and no box, the check is left for the next call.
        EXPECT_THAT(operationLog(), HasSubstr(utf8("Состояние ККТ не проверено: ККТ занята")));
        EXPECT_THAT(errorLog(), Not(HasSubstr(utf8("Нет связи с ККТ"))));
        EXPECT_THAT(busy.output, Not(HasSubstr(utf8("[Состояние ККТ]"))));
    }
    PaymentRun paid = path.pay({"TYPE_OPER=V"});
    EXPECT_EQ(paid.result, 0) << paid.output;
    EXPECT_EQ(paid.newReceipts.size(), 1u);
    EXPECT_THAT(operationLog(), HasSubstr(utf8("Состояние ККТ: ")));
    EXPECT_EQ(path.registerFolder.receipts().size(), before + 1);

    // Four counters sending four transfers at once: each gets the register or
    // is refused as busy (1, never 99 or 6); sent again, each has one receipt.
    auto send = [&](const std::string& unc) {
        return path.run({"send", "--unc", unc, "--sum", "100", "--pair", "SHORT=x", "--pair",
                         "NDS_CODE=1105", "--pair", "TYPE_OPER=P", "--pair", "TYPE_OPL=NAL"});
    };
    const std::vector<std::string> uncs = {"5001", "5002", "5003", "5004"};
    std::vector<ProcessResult> sends(uncs.size());
    std::vector<std::thread> counters;
    for (std::size_t i = 0; i < uncs.size(); ++i)
        counters.emplace_back([&, i] { sends[i] = send(uncs[i]); });
    for (std::thread& counter : counters) counter.join();
    int busy = 0;
    for (std::size_t i = 0; i < uncs.size(); ++i) {
        const int result = printedResult(sends[i].output);
        EXPECT_TRUE(result == 0 || result == 1) << sends[i].output;
        if (result == 1) {
            ++busy;
            EXPECT_EQ(printedResult(send(uncs[i]).output), 0) << uncs[i];
        }
    }
    std::cout << busy << " of " << uncs.size() << " sends at once found the register busy"
              << std::endl;
    EXPECT_EQ(path.registerFolder.receipts().size(), before + 1 + uncs.size());
    for (const std::string& unc : uncs)
        EXPECT_EQ(printedResult(send(unc).output), 0) << "answered from the journal";
    EXPECT_EQ(path.registerFolder.receipts().size(), before + 1 + uncs.size());
}

// The host killed at every register call of one journaled payment, before the
// register's work and after it; a new host process then sends the payment
// again. Every kill point must end with exactly one receipt.
TEST_F(JournalFullPath, AHostKilledAtAnyRegisterCallThenSendingAgainRegistersOnce) {
    forgetJournal();
    RegisterFolder& folder = path.registerFolder;
    folder.save();
    folder.restore();  // the trace of this payment only
    PaymentRun plain = path.pay();
    ASSERT_EQ(plain.result, 0) << plain.output;
    const std::vector<std::string> trace = folder.traceLines();
    ASSERT_FALSE(trace.empty());

    const std::vector<KillPoint> points = killPointsOf(trace);
    int doubled = 0, lost = 0;
    std::string violations;
    for (const KillPoint& point : points) {
        folder.restore();
        forgetJournal();
        json fault = {{"kind", "exit"}, {"function", point.function}, {"timing", point.timing}};
        if (point.occurrence > 0) fault["skip"] = point.occurrence;
        folder.addFault(fault);
        const std::size_t before = receiptsOfThePayment();
        PaymentRun killed = path.pay();
        PaymentRun again = path.pay();
        const std::size_t made = receiptsOfThePayment() - before;
        const std::string where =
            point.function + " #" + std::to_string(point.occurrence + 1) + " " + point.timing;
        if (killed.result != -1) {
            violations += where + ": the host was not killed: " + killed.output + "\n";
            continue;
        }
        if (made > 1) {
            ++doubled;
            violations += where + ": " + std::to_string(made) + " receipts\n" + again.output;
        } else if (made == 0 || again.result != 0) {
            ++lost;
            violations += where + ": " + std::to_string(made) + " receipts, result " +
                          std::to_string(again.result) + "\n" + again.output;
        }
    }
    std::cout << points.size() << " kill points ("
              << (representativeSweep() ? "the register calls"
                                        : "every call, the register calls twice")
              << " of " << trace.size() << " calls): " << doubled << " doubled, " << lost << " lost"
              << std::endl;
    EXPECT_EQ(doubled, 0) << violations;
    EXPECT_EQ(lost, 0) << violations;
    EXPECT_TRUE(violations.empty()) << violations;
}

// The journal's durable flushes: one for a payment that reaches the register
// (the starting document number, before the receipt opens), none for a
// repeat the journal answers. A new journal is also made durable once before
// its first record (the database created and turned to write-ahead mode), and
// SQLite syncs the header of a write-ahead log it starts (a new journal, a
// restart after a checkpoint); the day's first payment is followed by the
// day's checkpoint.
TEST_F(JournalFullPath, APaymentFlushesTheJournalOnceARepeatAnsweredFromItNever) {
    if (!powerCutVfsAvailable()) GTEST_SKIP() << "the power-cut VFS is native only";
    forgetJournal();
    PowerCutEvents fresh;
    PaymentRun paid = payOnPowerCutVfs(0, fresh);
    ASSERT_EQ(paid.result, 0) << paid.output;
    ASSERT_EQ(paid.newReceipts.size(), 1u);
    EXPECT_GT(fresh.writes, 0) << "the VFS saw no write: is it installed?";
    // The new journal's first payment is also the day's first: after its
    // outcome the day's upkeep copies the records into the database file (the
    // log synced, then the database) and starts the log anew (its header synced).
    EXPECT_EQ(fresh.walHeaders, 2) << fresh.text;
    EXPECT_EQ(fresh.syncs - fresh.syncsBeforeTheLog, 1 + fresh.walHeaders + 2) << fresh.text;
    EXPECT_THAT(fresh.text, HasSubstr("sync payments.sqlite\n"));

    PowerCutEvents repeat;
    PaymentRun again = payOnPowerCutVfs(0, repeat);
    EXPECT_EQ(again.result, 0) << again.output;
    EXPECT_TRUE(again.newReceipts.empty());
    EXPECT_EQ(repeat.syncs, 0) << repeat.text;

    // Another payment (a return of the transfer is another key) in the journal now there.
    PowerCutEvents another;
    PaymentRun returned = payOnPowerCutVfs(0, another, {"TYPE_OPER=V"});
    ASSERT_EQ(returned.result, 0) << returned.output;
    EXPECT_EQ(another.walHeaders, 0) << another.text;
    EXPECT_EQ(another.syncsBeforeTheLog, 0) << another.text;
    EXPECT_EQ(another.syncs, 1) << another.text;
    EXPECT_THAT(another.text, HasSubstr("sync payments.sqlite-wal"));
}

// A correction receipt holds to the same rule: one flush, of its starting
// document number before its receipt opens; a repeat answered from the
// journal flushes nothing.
TEST_F(JournalFullPath, ACorrectionFlushesTheJournalOnceARepeatNever) {
    if (!powerCutVfsAvailable()) GTEST_SKIP() << "the power-cut VFS is native only";
    forgetJournal();
    path.registerFolder.addFault({{"kind", "paper_out"}, {"function", "libfptr_query_data"}});
    ASSERT_EQ(path.pay().result, 5);
    path.registerFolder.clearFaults();
    const std::vector<std::string> correct = {"correct", "--unc", "4711"};

    PowerCutEvents made;
    ProcessResult corrected = onPowerCutVfs(0, made, [&] { return path.run(correct); });
    ASSERT_EQ(corrected.exitCode, 0) << corrected.output;
    EXPECT_GT(made.writes, 0) << "the VFS saw no write: is it installed?";
    EXPECT_EQ(made.syncs, 1) << made.text;
    EXPECT_THAT(made.text, HasSubstr("sync payments.sqlite-wal"));

    PowerCutEvents repeat;
    ProcessResult again = onPowerCutVfs(0, repeat, [&] { return path.run(correct); });
    EXPECT_EQ(again.exitCode, 0) << again.output;
    EXPECT_EQ(repeat.syncs, 0) << repeat.text;
}

// The power cut before every write and every sync of the journal during one
// payment (every write since each file's last sync lost); the machine back,
// the payment is sent again. Every point must end with exactly one receipt.
TEST_F(JournalFullPath, APowerCutAtAnyJournalWriteThenSendingAgainRegistersOnce) {
    if (!powerCutVfsAvailable()) GTEST_SKIP() << "the power-cut VFS is native only";
    RegisterFolder& folder = path.registerFolder;
    folder.save();
    folder.restore();
    forgetJournal();
    PowerCutEvents plain;
    ASSERT_EQ(payOnPowerCutVfs(0, plain).result, 0);
    const long points = plain.writes + plain.syncs;
    ASSERT_GT(points, 0);

    int doubled = 0, lost = 0;
    std::string violations;
    for (long point = 1; point <= points; ++point) {
        folder.restore();
        forgetJournal();
        const std::size_t before = receiptsOfThePayment();
        PowerCutEvents events;
        PaymentRun cut = payOnPowerCutVfs(point, events);
        PaymentRun again = path.pay();
        const std::size_t made = receiptsOfThePayment() - before;
        const std::string where = "event " + std::to_string(point) + " (" +
                                  plain.lines[static_cast<std::size_t>(point - 1)] + ")";
        if (!events.cut || cut.result != -1) {
            violations += where + ": the power was not cut: " + cut.output + "\n";
            continue;
        }
        if (made > 1) {
            ++doubled;
            violations += where + ": " + std::to_string(made) + " receipts\n" + again.output;
        } else if (made == 0 || again.result != 0) {
            ++lost;
            violations += where + ": " + std::to_string(made) + " receipts, result " +
                          std::to_string(again.result) + "\n" + again.output;
        }
    }
    std::cout << points << " power cuts (every write and sync of the journal: " << plain.writes
              << " writes, " << plain.syncs << " syncs): " << doubled << " doubled, " << lost
              << " lost" << std::endl;
    EXPECT_EQ(doubled, 0) << violations;
    EXPECT_EQ(lost, 0) << violations;
    EXPECT_TRUE(violations.empty()) << violations;
}

}  // namespace
}  // namespace testing_support
}  // namespace vorna
