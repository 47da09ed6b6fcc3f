#pragma once

#include <QValidator>

#include <string_view>

namespace dtu {

// Lets an edit hold only the texts a rule of the core accepts (digits only, hex digits...):
// a keystroke or a paste that would break the rule is refused as it is typed.
class EntryValidator : public QValidator {
  Q_OBJECT

 public:
  using Rule = bool (*)(std::string_view text);

  EntryValidator(Rule rule, QObject* parent) : QValidator(parent), rule_(rule) {}

  Rule rule() const { return rule_; }
  State validate(QString& input, int& position) const override;

 private:
  Rule rule_;
};

}  // namespace dtu
