#include "app/Operator.h"

namespace clinova {

std::string ButtonCaption(int index) {
    switch (index) {
    case mbOk:
        return "Ok";
    case mbOui:
        return "Oui";
    case mbNon:
        return "Non";
    case mbAnnuler:
        return "Annuler";
    case mbRecommencer:
        return "Recommencer";
    case mbIgnorer:
        return "Ignorer";
    default:
        return {};
    }
}

std::string PrepareMessageText(std::string_view messageText) {
    std::string_view text = messageText;
    for (int k = 0; k < 2 && !text.empty() && text.front() == '#'; ++k)
        text.remove_prefix(1);
    std::string body;
    int breaks = 0;
    for (const char c : text) {
        if (c == '#') {
            body += "\r\n";
            ++breaks;
        } else {
            body.push_back(c);
        }
    }
    const int before = breaks <= 1 ? 2 : breaks == 2 ? 1 : 0;
    std::string out;
    for (int k = 0; k < before; ++k)
        out += "\r\n";
    return out + body;
}

StyledBox MakeStyledBox(std::string_view messageText, int mode, int button1, int button2) {
    StyledBox box;
    box.text = PrepareMessageText(messageText);
    box.mode = mode;
    box.button1 = button1;
    box.button2 = button2;
    return box;
}

bool StyledBoxForButtons(unsigned buttons, StyledBox &box) {
    const unsigned counted = buttons & (dbYes | dbNo | dbOK | dbCancel | dbRetry | dbIgnore);
    const int count = __builtin_popcount(counted);
    if (count == 1) {
        box.mode = 1;
        box.button1 = counted == dbYes      ? mbOui
                      : counted == dbNo     ? mbNon
                      : counted == dbOK     ? mbOk
                      : counted == dbCancel ? mbAnnuler
                      : counted == dbRetry  ? mbRecommencer
                                            : mbIgnorer;
        return true;
    }
    if (count == 2) {
        box.mode = 2;
        box.button1 = (counted & dbRetry) ? mbRecommencer : (counted & dbOK) ? mbOk : mbOui;
        box.button2 = (counted & dbIgnore) ? mbIgnorer : (counted & dbCancel) ? mbAnnuler : mbNon;
        return true;
    }
    return false;
}

int DialogResultOf(int messageButton) {
    switch (messageButton) {
    case mbOk:
        return mrOk;
    case mbOui:
        return mrYes;
    case mbNon:
        return mrNo;
    case mbAnnuler:
        return mrCancel;
    case mbRecommencer:
        return mrRetry;
    case mbIgnorer:
        return mrIgnore;
    default:
        return mrNone;
    }
}

int Operator::AskConfirmation(std::string_view text, int mode, int button1, int button2, bool rightIsDefault) {
    StyledBox box = MakeStyledBox(text, mode, button1, button2);
    box.rightIsDefault = rightIsDefault;
    const int answer = ShowStyledBox(box);
    ProcessPendingMessages();
    return answer;
}

void Operator::ShowInfoMessage(std::string_view text) {
    ShowMessageBox(text, MessageKind::Information, dbOK, 0);
}

int Operator::ShowMessageBox(std::string_view text, MessageKind kind, unsigned buttons, int helpContext) {
    StyledBox box;
    if (!StyledBoxForButtons(buttons, box))
        return ShowStandardDialog(std::string(text), kind, buttons, helpContext);
    box.text = PrepareMessageText(text);
    const int answer = ShowStyledBox(box);
    ProcessPendingMessages();
    return DialogResultOf(answer);
}

} // namespace clinova
