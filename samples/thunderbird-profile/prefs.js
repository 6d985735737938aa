// Mozilla User Preferences
user_pref("mail.account.account1.server", "server1");
user_pref("mail.account.account2.server", "server2");
user_pref("mail.accountmanager.accounts", "account2,account1");
user_pref("mail.server.server1.directory-rel", "[ProfD]Mail/Local Folders");
user_pref("mail.server.server1.hostname", "Local Folders");
user_pref("mail.server.server1.name", "Local Folders");
user_pref("mail.server.server1.type", "none");
user_pref("mail.server.server2.directory-rel", "[ProfD]ImapMail/imap.example.org");
user_pref("mail.server.server2.hostname", "imap.example.org");
user_pref("mail.server.server2.name", "grace@example.org");
user_pref("mail.server.server2.type", "imap");
