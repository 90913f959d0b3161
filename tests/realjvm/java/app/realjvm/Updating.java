package realjvm;

import java.io.File;
import java.io.FileInputStream;

import org.vornicw.update.StagedUpdate;

// Version one of an updating application: when the folder named by its first argument exists, it
// stages it through the updater class, marks it done, and asks for the restart. Any version prints
// the file version.txt of the folder it runs in.
public class Updating {
    public static void main(String[] args) throws Exception {
        File version = new File("version.txt");
        if (version.isFile()) {
            byte[] bytes = new byte[(int) version.length()];
            FileInputStream in = new FileInputStream(version);
            try {
                in.read(bytes);
            } finally {
                in.close();
            }
            System.out.println("running " + new String(bytes, "UTF-8").trim());
        }
        File next = args.length > 0 ? new File(args[0]) : null;
        if (next != null && next.isDirectory()) {
            StagedUpdate.stage(next);
            if (!next.renameTo(new File(args[0] + "-staged"))) throw new IllegalStateException("cannot mark");
            System.out.println("staged into " + StagedUpdate.updateFolder());
            StagedUpdate.restart(42);
        }
    }
}
