// Dialogs that answer from a script and remember what they were asked.
#pragma once

#include "window/platform/dialogs.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vellograph {

class TScriptedDialogs : public TDialogs {
public:
    std::vector<std::string> Messages;
    std::vector<std::string> Confirmations;
    std::vector<std::string> Errors;
    std::vector<TFileDialogRequest> OpenRequests;
    std::vector<TFileDialogRequest> SaveRequests;

    // Answers, used up in order. A question with no answer left fails the
    // test and is answered Cancel.
    std::deque<bool> ConfirmAnswers;
    std::deque<std::optional<std::string>> OpenAnswers;
    std::deque<std::optional<std::string>> SaveAnswers;

    void ShowMessage(const std::string& text) override { Messages.push_back(text); }

    bool Confirm(const std::string& text) override {
        Confirmations.push_back(text);
        if (ConfirmAnswers.empty()) {
            ADD_FAILURE() << "unexpected confirmation: " << text;
            return false;
        }
        const bool answer = ConfirmAnswers.front();
        ConfirmAnswers.pop_front();
        return answer;
    }

    void ShowError(const std::string& text) override { Errors.push_back(text); }

    std::optional<std::string> OpenFileName(const TFileDialogRequest& request) override {
        OpenRequests.push_back(request);
        return Next(OpenAnswers, "open");
    }

    std::optional<std::string> SaveFileName(const TFileDialogRequest& request) override {
        SaveRequests.push_back(request);
        return Next(SaveAnswers, "save");
    }

private:
    static std::optional<std::string> Next(std::deque<std::optional<std::string>>& answers,
                                           const char* kind) {
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected " << kind << " dialog";
            return std::nullopt;
        }
        std::optional<std::string> answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

} // namespace vellograph
