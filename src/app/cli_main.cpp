// siteherald-cli: the command-line companion, for scripting a site's promotion.
#include "cli_common.h"

#include <cstdio>
#include <cstring>

namespace siteherald::cli {

const char* const kUsage =
    "Usage: siteherald-cli COMMAND [ARGUMENTS]\n"
    "\n"
    "Commands:\n"
    "  fill ENGINE SDF-FILE [--page PAGE-FILE]\n"
    "      Fill the submission page of ENGINE (a name in sedata.dat) with the values of the\n"
    "      submission data file SDF-FILE. The page is downloaded from the engine's\n"
    "      submission address, or taken from PAGE-FILE. Writes ~mainauto.htm, ~adauto.htm\n"
    "      and ~auto.htm into the data directory and prints the path of ~auto.htm, the page\n"
    "      to open in a browser.\n"
    "  get URL\n"
    "      Download URL (http or https) and write its body to standard output.\n"
    "  scan URL\n"
    "  scan --page FILE\n"
    "      List the text boxes and text areas of the forms of a page, one per line, as\n"
    "      \"name (Text Box)\" or \"name (Textarea)\", in page order.\n"
    "  update [--yes|--no]\n"
    "      Check for a newer version, download data files marked missing and merge the next\n"
    "      search-engine update into sedata.dat. Questions (overwrite an engine? view the\n"
    "      new version?) are answered by --yes or --no, else asked on the terminal.\n"
    "  send SDF-FILE SUBJECT [--list ADDRESS-FILE]... [--newsgroup NAME]...\n"
    "      Mail the message SUBJECT attached to SDF-FILE to every address of the lists (one\n"
    "      e-mail per address; a list file holds one address per line) and post it to the\n"
    "      newsgroups (one article per group), within the limits of 25 list lines (the two\n"
    "      name lines of each list count) and 10 newsgroups. The sender and the servers are\n"
    "      those of the settings' [Identity] section (Name, Email, MailServer, NewsServer;\n"
    "      a server may be host:port; MailSecurity/NewsSecurity auto, starttls, tls or none;\n"
    "      MailUser/NewsUser to log in). A login's password comes from\n"
    "      SITEHERALD_MAIL_PASSWORD or SITEHERALD_NEWS_PASSWORD, else from the keyring.\n"
    "      Prints \"Succeeded: \" or \"Failed: \" and the address or newsgroup for each\n"
    "      send, and appends to mail.log and news.log.\n"
    "  indexnow SITE-URL [--sitemap URL]... [--urls FILE] [--all] [--key KEY]\n"
    "           [--key-location URL] [--endpoint URL]\n"
    "      Submit the site's new and changed pages to IndexNow: addresses from the sitemaps\n"
    "      of SITE-URL/robots.txt (else SITE-URL/sitemap.xml), or of --sitemap, or the list\n"
    "      file --urls (one address a line); with --all every address, else those never\n"
    "      accepted before or whose lastmod changed. The host's key is made on first use\n"
    "      (or set by --key) and written to KEY.txt in the data directory, to be served at\n"
    "      SITE-URL/KEY.txt or at --key-location. The endpoint is --endpoint, else the\n"
    "      settings' [IndexNow] Endpoint (https://api.indexnow.org/indexnow). Prints each\n"
    "      request's answer and \"Submitted: N, unchanged: N, other hosts: N\", and appends\n"
    "      to indexnow.log.\n"
    "\n"
    "The data directory is $SITEHERALD_DATA_DIR when set, else ~/Siteherald.\n"
    "\n"
    "Exit status: 0 done, 2 wrong usage, 3 engine not found or its record damaged, 4 page\n"
    "not available (unreachable, an error answer, over 20 MB or 5 minutes; for update: a\n"
    "file could not be downloaded or was damaged), 5 a file that cannot be read or written,\n"
    "6 nothing sent (the reason is printed; also a needed password not found), 7 the\n"
    "IndexNow key file is not served with the key, 8 the IndexNow endpoint refused,\n"
    "kept answering 429 or could not be reached (for indexnow, 4 is also a sitemap or\n"
    "robots.txt that could not be downloaded or read).\n";

int FileProblem(const std::string& message) {
    std::fprintf(stderr, "siteherald-cli: %s\n", message.c_str());
    return kExitFileError;
}

int UsageError(const std::string& problem) {
    if (!problem.empty())
        std::fprintf(stderr, "siteherald-cli: %s\n\n", problem.c_str());
    std::fputs(kUsage, stderr);
    return kExitUsage;
}

} // namespace siteherald::cli

int main(int argc, char** argv) {
    using namespace siteherald::cli;
    if (argc < 2)
        return UsageError("");
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return kExitDone;
    }
    const Arguments args(argv + 2, argv + argc);
    if (command == "fill")
        return RunFill(args);
    if (command == "get")
        return RunGet(args);
    if (command == "scan")
        return RunScan(args);
    if (command == "update")
        return RunUpdate(args);
    if (command == "send")
        return RunSend(args);
    if (command == "indexnow")
        return RunIndexNowCommand(args);
    return UsageError("unknown command \"" + command + "\"");
}
