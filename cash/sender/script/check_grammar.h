// The grammar of the cheque script (Boost.Spirit classic, with its debug
// trace going to "trace.log"). Only the translation units that parse include
// this header, and all of them through it, so the debug configuration of
// Spirit is the same everywhere.
#pragma once

#include "cash/sender/script/parser_trace.h"

#define BOOST_SPIRIT_DEBUG
#define BOOST_SPIRIT_DEBUG_OUT ::vorna::parserTrace()
#include <boost/spirit/include/classic_core.hpp>

#include "cash/sender/script/cheque_actions.h"
#include "cash/shared/checks.h"

namespace vorna {

namespace script_chars {
constexpr char kOption = '\x01';  // SOH: a run option follows
constexpr char kCheque = '\x07';  // BEL: a cheque follows
}  // namespace script_chars

// Removes the trace name registered for a parser object.
inline void forgetTraceName(const void* node) {
    boost::spirit::classic::impl::get_node_registry().unregister_node(node);
}

// Forgets the trace name of a grammar object when it goes out of scope.
class TraceNameScope {
public:
    explicit TraceNameScope(const void* node) : node_(node) {}
    ~TraceNameScope() { forgetTraceName(node_); }
    TraceNameScope(const TraceNameScope&) = delete;
    TraceNameScope& operator=(const TraceNameScope&) = delete;

private:
    const void* node_;
};

struct CheckGrammar : public boost::spirit::classic::grammar<CheckGrammar> {
    explicit CheckGrammar(Checks& checks) : checks_(&checks) {}

    template <typename ScannerT>
    struct definition {
        explicit definition(const CheckGrammar& self) {
            using namespace boost::spirit::classic;
            using namespace script_chars;
            Checks* const c = self.checks_;

            checkDefinition = +((ch_p(kOption) >> separate) | (ch_p(kOption) >> logEnable) |
                                (ch_p(kOption) >> printDocList)) >>
                              *anychar_p;
            separate = as_lower_d[str_p("separate")] >> ch_p('=') >>
                       (as_lower_d[str_p("yes")][SetSeparateCheck(c)] | as_lower_d[str_p("no")]);
            logEnable = as_lower_d[str_p("logenable")] >> ch_p('=') >>
                        (as_lower_d[str_p("yes")][SetLogEnable(c)] | as_lower_d[str_p("no")]);
            printDocList = as_lower_d[str_p("printdoclist")] >> ch_p('=') >> checkList;
            checkList = *(ch_p(kCheque) >> checkType >> check);
            checkType = ch_p('&') >> uint_p[([c](unsigned type) { c->addCheck(type); })];
            check = !doc >> +(dep | info | service | carryIn | pos);
            info = str_p("~hdr")[AddTextLine(c)] >> !ch_p(':') >> infoText;
            infoText = !simpleString[SetTextLine(c)] >> !quotedString[SetTextLine(c)] >>
                       !simpleString[SetTextLine(c)] >> !quotedString[SetTextLine(c)];
            dep = str_p("~dep") >> !ch_p(':') >>
                  *(simpleString[SetSrvText(c)] | quotedString[SetSrvText(c)]);
            doc = str_p("~doc") >> !ch_p(':') >> *(simpleString | quotedString);
            service = str_p("~srv") >>
                      uint_p[SetAttribute_t<Checks, Check, unsigned>(c, &Check::setSrvNumber)] >>
                      real_p[SetAttribute_t<Checks, Check, double>(c, &Check::setPrice)];
            carryIn = str_p("~pay") >>
                      uint_p[SetAttribute_t<Checks, Check, unsigned>(c, &Check::setOperation)] >>
                      real_p[SetAttribute_t<Checks, Check, double>(c, &Check::setCarryIn)];
            pos = str_p("~pos") >> !ch_p(':') >>
                  *(simpleString[SetPosInfo(c)] | quotedString[SetPosInfo(c)]);
            // Pairs are read without skipping: an escape takes the very next
            // character, blanks and line ends included.
            simpleString = +(lexeme_d[ch_p('\\') >> ch_p('"')] |
                             (anychar_p - ch_p('~') - ch_p(kCheque) - ch_p('"')));
            quotedString = ch_p('"') >> *((anychar_p - ch_p('\\') - ch_p('"')) |
                                          lexeme_d[ch_p('\\') >> anychar_p]) >>
                           ch_p('"');

            BOOST_SPIRIT_DEBUG_RULE(checkDefinition);
            BOOST_SPIRIT_DEBUG_RULE(separate);
            BOOST_SPIRIT_DEBUG_RULE(logEnable);
            BOOST_SPIRIT_DEBUG_RULE(printDocList);
            BOOST_SPIRIT_DEBUG_RULE(checkList);
            BOOST_SPIRIT_DEBUG_RULE(infoText);
            BOOST_SPIRIT_DEBUG_RULE(check);
            BOOST_SPIRIT_DEBUG_RULE(service);
            BOOST_SPIRIT_DEBUG_RULE(carryIn);
            BOOST_SPIRIT_DEBUG_RULE(info);
            BOOST_SPIRIT_DEBUG_RULE(doc);
            BOOST_SPIRIT_DEBUG_RULE(dep);
            BOOST_SPIRIT_DEBUG_RULE(pos);
            BOOST_SPIRIT_DEBUG_RULE(quotedString);
            BOOST_SPIRIT_DEBUG_RULE(simpleString);
            BOOST_SPIRIT_DEBUG_RULE(checkType);
        }

        // Spirit keeps trace names by address and never forgets them; a later
        // definition at the same place must not inherit stale names.
        ~definition() {
            for (const void* node : {&checkDefinition, &separate, &logEnable, &printDocList,
                                     &checkList, &infoText, &check, &service, &carryIn, &info, &doc,
                                     &dep, &pos, &quotedString, &simpleString, &checkType})
                forgetTraceName(node);
        }

        const boost::spirit::classic::rule<ScannerT>& start() const { return checkDefinition; }

        boost::spirit::classic::rule<ScannerT> checkDefinition, separate, logEnable, printDocList,
            checkList, infoText, check, service, carryIn, info, doc, dep, pos, quotedString,
            simpleString, checkType;
    };

    Checks* checks_;
};

}  // namespace vorna
