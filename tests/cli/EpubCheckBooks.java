// Validates every book named on the command line with EPUBCheck, all in one Java machine, so
// that the validator's start-up is paid once for a whole folder of books. Run from source:
//   java -cp /usr/bin/epubcheck EpubCheckBooks.java BOOK...
// For each book it prints "BOOK <path>", the validator's messages as the epubcheck command
// prints them, "No errors or warnings detected." when there are none, and "END <path>".
import com.adobe.epubcheck.api.EpubCheck;
import com.adobe.epubcheck.util.DefaultReportImpl;
import java.io.File;

public class EpubCheckBooks {
  public static void main(String[] books) {
    for (String book : books) {
      System.out.println("BOOK " + book);
      DefaultReportImpl report = new DefaultReportImpl(book);
      new EpubCheck(new File(book), report).doValidate();
      if (report.getFatalErrorCount() + report.getErrorCount() + report.getWarningCount() == 0) {
        System.out.println("No errors or warnings detected.");
      }
      System.out.println("END " + book);
    }
  }
}
