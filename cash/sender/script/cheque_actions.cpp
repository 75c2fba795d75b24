#include "cash/sender/script/cheque_actions.h"

#include <stdexcept>

#include "cash/sender/script/text_piece.h"
#include "common/app_exception.h"

namespace vorna {

void SetSeparateCheck::operator()(ScriptIterator, ScriptIterator) const { checks_->setSeparate(1); }

void SetLogEnable::operator()(ScriptIterator, ScriptIterator) const { checks_->setLogEnable(1); }

void AddTextLine::operator()(ScriptIterator, ScriptIterator) const {
    if (checks_->empty())
        throw app_exception(SourceLocation{"Checks", 49, "vorna::AddTextLine::operator ()"},
                            "Container empty");
    checks_->back().addTextLine();
}

void SetTextLine::operator()(ScriptIterator first, ScriptIterator last) const {
    if (checks_->empty())
        throw app_exception(SourceLocation{"Checks", 169, "vorna::SetTextLine::operator ()"},
                            "Container empty");
    checks_->back().setTextLine(normalizeTextPiece(std::string(first, last)));
}

void SetSrvText::operator()(ScriptIterator first, ScriptIterator last) const {
    if (checks_->empty()) throw std::logic_error("Can't set ~dep text to empty check stack.");
    checks_->back().setText(std::string(first, last));
}

void SetPosInfo::operator()(ScriptIterator first, ScriptIterator last) const {
    if (checks_->empty()) throw std::logic_error("Can't set ~pos text to empty check stack.");
    checks_->back().setPosInfo(std::string(first, last));
}

void throwContainerEmpty(unsigned*) {
    throw app_exception(
        SourceLocation{
            "Checks", 253,
            "vorna::SetAttribute_t<class vorna::Checks,class vorna::Check,unsigned int,void>::"
            "operator ()"},
        "Container empty");
}

void throwContainerEmpty(double*) {
    throw app_exception(
        SourceLocation{"Checks", 253,
                       "vorna::SetAttribute_t<class vorna::Checks,class vorna::Check,double,void>::"
                       "operator ()"},
        "Container empty");
}

}  // namespace vorna
