#pragma once
// The configuration text of the model VACCIN / Rage (UTF-8 here; the product stores it in Windows-1252),
// byte for byte as the product reads it.

namespace clinova::test {

inline const char *const kRageReminderConfig = "[GENERAL]\r\n"
                                               "LibelleCategorie=VACCIN\r\n"
                                               "LibelleEvent=Rage\r\n"
                                               "EventType=0\r\n"
                                               "CanUse=1\r\n"
                                               "DoRelance=1\r\n"
                                               "DoRelanceDans=365\r\n"
                                               "SuiviPeriodique=0\r\n"
                                               "SendLettre_Avant=1\r\n"
                                               "SendEmail_Avant=1\r\n"
                                               "SendSMS_Avant=1\r\n"
                                               "NameModeleLettre_Avant=carte_vaccin_avant_x3.rtm\r\n"
                                               "NameModeleEmail_Avant=Générique.rtf\r\n"
                                               "NameModeleSMS_Avant=Générique.txt\r\n"
                                               "SendLettre_Apres=1\r\n"
                                               "SendEmail_Apres=1\r\n"
                                               "SendSMS_Apres=1\r\n"
                                               "NameModeleLettre_Apres=carte_vaccin_apres_x3.rtm\r\n"
                                               "NameModeleEmail_Apres=Générique.rtf\r\n"
                                               "NameModeleSMS_Apres=Générique.txt\r\n"
                                               "\r\n"
                                               "[Especes]\r\n"
                                               "count=0\r\n"
                                               "\r\n";

} // namespace clinova::test
